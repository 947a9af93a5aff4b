// Lets a test make one memory allocation of the test program fail, as exhausted memory would, to
// see which fixed text an operation reports for a failure that is not a launcher message.
#pragma once

// The next allocation through operator new, on any thread, throws std::bad_alloc; later ones
// succeed again.
void failNextAllocation();
