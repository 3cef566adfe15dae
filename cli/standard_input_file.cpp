#include "cli/standard_input_file.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <system_error>

#include "cli/console/console.h"

namespace torv::cli {
namespace {

namespace fs = std::filesystem;

// The copies made in this run, by the name they were read from; removed at its end.
class SpooledStreams {
  public:
    SpooledStreams() = default;
    SpooledStreams(const SpooledStreams&) = delete;
    SpooledStreams& operator=(const SpooledStreams&) = delete;
    ~SpooledStreams() {
        for (const auto& [source, copy] : m_copies) {
            std::error_code ignored;
            fs::remove(copy, ignored);
        }
    }

    // The copy of `source` ("-": standard input), read the first time it is asked for: a stream
    // can be read only once.
    std::string copyOf(const std::string& source, const std::string& extension) {
        if (const auto known = m_copies.find(source); known != m_copies.end()) {
            return known->second;
        }
        const std::string shown = source == kStandardStreamName ? std::string("standard input") : source;
        std::error_code error;
        const fs::path folder = fs::temp_directory_path(error);
        if (error) {
            std::cerr << "torvctl: no folder for a temporary file to hold " << shown << ": "
                      << error.message() << '\n';
            return {};
        }
        const fs::path file = folder / ("torvctl-" + std::to_string(ProcessId()) + "-" +
                                        std::to_string(m_copies.size()) + extension);
        std::ifstream named;
        std::istream* in = &std::cin;
        if (source == kStandardStreamName) {
            SetStandardInputBinary();
        } else {
            named.open(source, std::ios::binary);
            in = &named;
        }
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        if (*in && out) {
            out << in->rdbuf();  // an empty input copies nothing and marks `out` failed: not a fault
        }
        const bool readable = static_cast<bool>(*in) || in->eof();
        out.close();
        if (!readable || !fs::exists(file, error)) {
            std::cerr << "torvctl: " << shown << " could not be read into " << file.string() << '\n';
            fs::remove(file, error);
            return {};
        }
        m_copies.emplace(source, file.string());
        return file.string();
    }

  private:
    std::map<std::string, std::string> m_copies;
};

}  // namespace

std::string StandardInputFile(const std::string& extension) {
    return StreamCopy(kStandardStreamName, extension);
}

std::string StreamCopy(const std::string& source, const std::string& extension) {
    static SpooledStreams streams;
    return streams.copyOf(source, extension);
}

bool NamesStreamAsItIs(const std::string& name) {
    if (name.starts_with("/dev/") || name.starts_with("/proc/")) {
        return true;
    }
    std::error_code error;
    const fs::file_status status = fs::status(name, error);
    return !error && fs::exists(status) && !fs::is_regular_file(status) && !fs::is_directory(status);
}

}  // namespace torv::cli
