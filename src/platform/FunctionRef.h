// A callback that the caller keeps alive while the callee runs it: a pointer to the caller's function
// object and a function that calls it, instead of std::function's copy and its management code,
// which every lambda passed would instantiate anew.
#pragma once

#include <memory>
#include <type_traits>
#include <utility>

template <class Signature>
class FunctionRef;

template <class Result, class... Arguments>
class FunctionRef<Result(Arguments...)> {
public:
    // Refers to `callable`, which must outlive every call through this reference (a temporary
    // passed as an argument does). Implicit, as std::function's is.
    template <class Callable, class = std::enable_if_t<!std::is_same_v<std::decay_t<Callable>, FunctionRef>>>
    FunctionRef(Callable&& callable) noexcept
        : m_callable(const_cast<void*>(static_cast<const void*>(std::addressof(callable)))),
          m_call([](void* target, Arguments... arguments) -> Result {
              return (*static_cast<std::remove_reference_t<Callable>*>(target))(std::forward<Arguments>(arguments)...);
          }) {}

    Result operator()(Arguments... arguments) const { return m_call(m_callable, std::forward<Arguments>(arguments)...); }

private:
    void* m_callable;
    Result (*m_call)(void*, Arguments...);
};
