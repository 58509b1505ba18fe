#pragma once
// The confinement of a tag reader process, set up by the reader itself once
// its libraries and allocator are ready: limits on memory, CPU time and open
// files, then a system call filter that lets it read the descriptors it is
// given, answer on its socket and manage its memory, and kills it on any
// other call (no file can be opened, no process made, nothing written
// anywhere but the socket and standard error).

#include <string>

namespace tallyfold {

inline constexpr unsigned long kReaderAddressSpaceBytes = 256UL << 20;
inline constexpr unsigned kReaderCpuSeconds = 300;

// False with why filled when a limit or the filter could not be set; the
// reader then refuses to read anything.
bool confineReader(int socketFd, std::string& why);

// The CPU time one file may take: a parser that loops on a crafted file is
// ended by its timer signal (the reader dies, the program names the file)
// well before the program's own wait for the answer runs out.
inline constexpr unsigned kReaderMsPerFile = 1000;
// Arms the timer for the next file; disarms it once the file is read.
void armFileTimer();
void disarmFileTimer();

}  // namespace tallyfold
