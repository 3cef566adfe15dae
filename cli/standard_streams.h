#pragma once
// torvctl's own standard streams. A program started with descriptor 0, 1 or 2 closed hands that number
// to the first file it opens, which is the serial port: judgement lines or trace text would go to the
// sensor as frames, and a question would wait for its answer on the line. And a write to stdout that
// fails (a full disk, a pipe whose reader has gone while SIGPIPE is ignored) must not pass unseen.

namespace torv::cli {

// Opens /dev/null on each of descriptors 0, 1 and 2 that is closed; false when one could not be opened.
// Call before anything else opens a file.
bool OpenStandardDescriptors();

// Sends stdout through a buffer that keeps the reason of the first failed write (the C library's own
// forgets it once it drops the data), for std::cout and everything printed through it.
void CheckStandardOutput();

// Flushes stdout. When a write to it failed, says why on stderr ("torvctl: writing to stdout failed: No
// space left on device") and turns a success into exit code 1; other exit codes stay.
int ExitCodeAfterOutput(int exitCode);

// Whether every write to stdout so far has succeeded.
bool StandardOutputWorks();

}  // namespace torv::cli
