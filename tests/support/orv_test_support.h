// Shared test support: a temporary directory per test, scoped environment
// variables, and capture of what the process writes to standard output.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace orvtest {

// A fresh directory under $TMPDIR (or /tmp), removed with everything in it
// when the object goes away.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;

    const std::string &path() const { return path_; }
    // path() + "/" + relative
    std::string operator/(const std::string &relative) const;
    // Writes a file below the directory, creating its parent directories.
    std::string write(const std::string &relative, const std::string &contents) const;

private:
    std::string path_;
};

// Sets (or, with nullopt, unsets) an environment variable for the lifetime of
// the object and restores the previous value afterwards.
class ScopedEnv {
public:
    ScopedEnv(std::string name, std::optional<std::string> value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv &) = delete;
    ScopedEnv &operator=(const ScopedEnv &) = delete;

private:
    std::string name_;
    std::optional<std::string> old_;
};

// A temporary installation: a TempDir whose sys/config, site/config,
// user/config and sys/data folders are named by the ORV_* variables (the
// root by ORV_ROOT_PATH) for the lifetime of the object.
class TempInstallation {
public:
    TempInstallation();
    TempInstallation(const TempInstallation &) = delete;
    TempInstallation &operator=(const TempInstallation &) = delete;

    const std::string &path() const { return dir_.path(); }
    std::string operator/(const std::string &relative) const { return dir_ / relative; }
    // Writes a file below the root, creating its parent directories.
    std::string write(const std::string &relative, const std::string &contents) const {
        return dir_.write(relative, contents);
    }

private:
    TempDir dir_;
    ScopedEnv root_, sys_, site_, user_, data_;
};

// Redirects file descriptor 1 (and the stdout stream) into a temporary file
// until finish() or destruction; finish() returns what was written.
class CapturedStdout {
public:
    CapturedStdout();
    ~CapturedStdout();
    CapturedStdout(const CapturedStdout &) = delete;
    CapturedStdout &operator=(const CapturedStdout &) = delete;
    std::string finish();

private:
    int saved_fd_ = -1;
    std::string file_;
    bool done_ = false;
};

// A copy of n bytes whose last byte is the last readable one before an
// unmapped page, so that reading past the end faults at once, sanitizer or
// not. The mapping lives as long as the process.
const char *against_guard_page(const char *bytes, std::size_t n);

// Reads a whole file; the empty string when it cannot be read.
std::string read_file(const std::string &path);
// Splits text at line feeds; a trailing line feed gives no empty last line.
std::vector<std::string> lines_of(const std::string &text);

}  // namespace orvtest
