// Capture of the trace facility's reports in tests: starts call-back mode on a
// freshly reset facility and keeps every line with its kind.
#pragma once

#include <string>
#include <vector>

namespace orvtest {

// At most one capture is started at a time (the facility has one call-back).
// Destruction, like stop(), returns the facility to the state of a fresh
// process.
class TraceCapture {
public:
    TraceCapture() = default;
    ~TraceCapture();
    TraceCapture(const TraceCapture &) = delete;
    TraceCapture &operator=(const TraceCapture &) = delete;

    // Resets the facility, enters call-back mode with this capture and
    // forgets what was caught before.
    void start();
    // Resets the facility; lines are kept for inspection.
    void stop();
    void clear();

    // Errors from " IN '" on, without it leading blank: the place and time
    // before it vary from run to run.
    const std::vector<std::string> &errors() const { return errors_; }
    // Every line that is not an error, as written.
    const std::vector<std::string> &traces() const { return traces_; }
    // The lines of one kind (tr_KIND_*), as written.
    std::vector<std::string> of_kind(int kind) const;
    // True when a line that is not an error contains text.
    bool traced(const std::string &text) const;

private:
    static void record(const char *text, int kind);

    struct Line {
        int kind;
        std::string text;
    };
    std::vector<Line> lines_;
    std::vector<std::string> errors_;
    std::vector<std::string> traces_;
    bool started_ = false;
};

}  // namespace orvtest
