#include "cli/standard_streams.h"

#ifdef _WIN32
#include <io.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

#include <array>
#include <cerrno>
#include <cstring>
#include <iostream>
#include <streambuf>

#include "cli/cli_context.h"

namespace torv::cli {
namespace {

constexpr int kStandardDescriptors = 3;  // stdin, stdout, stderr
constexpr int kStdoutDescriptor = 1;
constexpr std::size_t kOutputBufferSize = 4096;

long WriteToStdout(const char* bytes, std::size_t count) {
#ifdef _WIN32
    return _write(kStdoutDescriptor, bytes, static_cast<unsigned>(count));
#else
    return static_cast<long>(::write(kStdoutDescriptor, bytes, count));
#endif
}

// std::cout's buffer: once a write has failed it keeps the reason and drops everything after, so the
// command can still end in order and say why at the end.
class CheckedOutputBuffer final : public std::streambuf {
  public:
    CheckedOutputBuffer() { setp(m_buffer.data(), m_buffer.data() + m_buffer.size()); }

    int failure() const { return m_failure; }  // errno of the first failed write; 0 while none

  protected:
    int_type overflow(int_type c) override {
        if (!flush()) {
            return traits_type::eof();
        }
        if (!traits_type::eq_int_type(c, traits_type::eof())) {
            *pptr() = traits_type::to_char_type(c);
            pbump(1);
        }
        return traits_type::not_eof(c);
    }

    int sync() override { return flush() ? 0 : -1; }

  private:
    bool flush() {
        for (const char* next = pbase(); m_failure == 0 && next < pptr();) {
            const long written = WriteToStdout(next, static_cast<std::size_t>(pptr() - next));
            if (written >= 0) {
                next += written;
            } else if (errno != EINTR) {  // a stop signal cuts a blocked write short: go on writing
                m_failure = errno;
            }
        }
        setp(m_buffer.data(), m_buffer.data() + m_buffer.size());
        return m_failure == 0;
    }

    std::array<char, kOutputBufferSize> m_buffer{};
    int m_failure = 0;
};

// Never destroyed: the C++ library flushes std::cout after every static object of ours has gone.
CheckedOutputBuffer* g_output = nullptr;

}  // namespace

bool OpenStandardDescriptors() {
#ifndef _WIN32
    for (int descriptor = 0; descriptor < kStandardDescriptors; ++descriptor) {
        if (fcntl(descriptor, F_GETFD) != -1 || errno != EBADF) {
            continue;
        }
        // The lowest free number, this one: every number below it is open by now.
        if (open("/dev/null", O_RDWR) != descriptor) {
            return false;
        }
    }
#endif
    // On Windows the serial port is a handle, never one of these numbers.
    return true;
}

void CheckStandardOutput() {
    g_output = new CheckedOutputBuffer;
    std::cout.rdbuf(g_output);
}

bool StandardOutputWorks() {
    return g_output == nullptr || g_output->failure() == 0;
}

int ExitCodeAfterOutput(int exitCode) {
    std::cout.flush();
    if (StandardOutputWorks()) {
        return exitCode;
    }
    std::cerr << "torvctl: writing to stdout failed: " << std::strerror(g_output->failure()) << '\n';
    return exitCode == kExitOk ? kExitFile : exitCode;
}

}  // namespace torv::cli
