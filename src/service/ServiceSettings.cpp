// The service keys read into the registration and the log settings of a service.
#include "service/ServiceSettings.h"

#include <optional>

#include "config/Properties.h"
#include "platform/PathConventions.h"
#include "report/ErrorReport.h"
#include "util/Files.h"
#include "util/Text.h"

namespace {

// The service control manager starts no program whose path is longer.
constexpr std::size_t kMaxExecutablePathLength = 259;
constexpr std::uint64_t kDefaultLogMaxBytes = std::uint64_t{10} << 20;
constexpr std::uint32_t kDefaultLogKeepCount = 5;

LaunchError badValue(const std::wstring& key, const std::wstring& value, const std::wstring& expected) {
    return LaunchError{L"The value \"" + value + L"\" of " + key + L" is not " + expected + L"."};
}

// The system's name of a configured account that needs no password; empty for LocalSystem.
std::wstring accountName(const std::wstring& account) {
    const std::wstring lowerCase = toLowerAscii(account);
    if (lowerCase.empty() || lowerCase == L"localsystem") return L"";
    if (lowerCase == L"localservice") return L"NT AUTHORITY\\LocalService";
    if (lowerCase == L"networkservice") return L"NT AUTHORITY\\NetworkService";
    // A virtual account, or a group managed service account, whose password the domain keeps.
    const bool managed = account.find(L'\\') != std::wstring::npos && endsWith(account, L"$");
    if (startsWith(lowerCase, L"nt service\\") || managed) return account;
    throw badValue(L"wexal.service.account", account,
                   L"LocalSystem, LocalService, NetworkService, NT SERVICE\\<name> or DOMAIN\\<name>$ (accounts with a "
                   L"password are set in the Services console)");
}

platform::ServiceStart startType(const std::wstring& start) {
    const std::wstring lowerCase = toLowerAscii(start);
    if (lowerCase.empty() || lowerCase == L"auto") return platform::ServiceStart::automatic;
    if (lowerCase == L"delayed") return platform::ServiceStart::delayedAutomatic;
    if (lowerCase == L"manual") return platform::ServiceStart::manual;
    if (lowerCase == L"disabled") return platform::ServiceStart::disabled;
    throw badValue(L"wexal.service.start", start, L"auto, delayed, manual or disabled");
}

// The names between the semicolons, trimmed, empty ones left out.
std::vector<std::wstring> serviceNames(const std::wstring& list) {
    std::vector<std::wstring> names;
    std::size_t begin = 0;
    while (begin <= list.size()) {
        const std::size_t end = std::min(list.find(L';', begin), list.size());
        std::wstring name = list.substr(begin, end - begin);
        trim(name);
        if (!name.empty()) names.push_back(name);
        begin = end + 1;
    }
    return names;
}

// The whole number `text` (at most `max`); empty for an empty text.
std::optional<std::uint64_t> wholeNumber(const std::wstring& key, const std::wstring& text, const std::wstring& expected,
                                         std::uint64_t max = 0xFFFFFFFFu) {
    if (text.empty()) return std::nullopt;
    std::uint64_t value = 0;
    for (const wchar_t c : text) {
        if (!isAsciiDigit(c) || value > max / 10) throw badValue(key, text, expected);
        value = value * 10 + static_cast<std::uint64_t>(c - L'0');
    }
    if (value > max) throw badValue(key, text, expected);
    return value;
}

// A size in bytes with an optional unit K, M or G (of 1024).
std::uint64_t logMaxBytes(const std::wstring& text) {
    if (text.empty()) return kDefaultLogMaxBytes;
    const std::wstring expected = L"a size such as 10M";
    const std::wstring unit = toUpperAscii(text.substr(text.size() - 1));
    const int shift = unit == L"K" ? 10 : unit == L"M" ? 20 : unit == L"G" ? 30 : 0;
    const std::wstring digits = shift == 0 ? text : text.substr(0, text.size() - 1);
    const std::uint64_t value = wholeNumber(L"wexal.service.log.max.size", digits, expected, std::uint64_t{1} << 32).value_or(0);
    if (value == 0) throw badValue(L"wexal.service.log.max.size", text, expected);
    return value << shift;
}

}  // namespace

platform::ServiceRegistration serviceRegistration(const Properties& properties, const std::wstring& executablePath) {
    if (executablePath.size() > kMaxExecutablePathLength) {
        throw LaunchError{L"The path of the launcher is longer than 259 characters, which the service control manager "
                          L"cannot start: " + executablePath};
    }
    platform::ServiceRegistration registration;
    registration.name = properties.getServiceName();
    registration.displayName = properties.getServiceDisplayName();
    registration.description = properties.getServiceDescription();
    registration.executablePath = executablePath;
    registration.command = L"\"" + executablePath + L"\"";
    registration.account = accountName(properties.getServiceAccount());
    registration.start = startType(properties.getServiceStart());
    registration.dependencies = serviceNames(properties.getServiceDependencies());
    const std::optional<std::uint64_t> delay =
        wholeNumber(L"wexal.service.restart.delay", properties.getServiceRestartDelay(), L"a number of seconds", 86400);
    if (delay) registration.restartDelaySeconds = static_cast<std::uint32_t>(*delay);
    registration.preshutdownTimeoutMilliseconds = properties.getServiceStopTimeoutMilliseconds();
    return registration;
}

ServiceLogSettings serviceLogSettings(const Properties& properties) {
    const std::wstring configured = withoutTrailingSeparators(properties.getServiceLogDir());
    const std::wstring directory = configured.empty() ? L"logs" : configured;
    const std::wstring home = properties.getSelfHomePath();
    const std::optional<std::uint64_t> keep =
        wholeNumber(L"wexal.service.log.keep", properties.getServiceLogKeep(), L"a number of files", 1000);
    return {isRelativePath(directory) ? home + platform::kPathSeparator + directory : directory,
            logMaxBytes(properties.getServiceLogMaxSize()), static_cast<std::uint32_t>(keep.value_or(kDefaultLogKeepCount))};
}
