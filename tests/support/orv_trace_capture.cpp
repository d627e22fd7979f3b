// Capture of the trace facility's reports in tests.
#include "support/orv_trace_capture.h"

#include "trace/tr_testing.h"

#include <ORVCommonKit/tr.h>

#include <algorithm>

namespace orvtest {

namespace {
TraceCapture *Active = nullptr;
}  // namespace

TraceCapture::~TraceCapture() {
    if (started_) stop();
}

void TraceCapture::start() {
    orv_tr_testing_reset();
    clear();
    Active = this;
    started_ = true;
    tr_init_with_call_back(record);
}

void TraceCapture::stop() {
    orv_tr_testing_reset();
    if (Active == this) Active = nullptr;
    started_ = false;
}

void TraceCapture::clear() {
    lines_.clear();
    errors_.clear();
    traces_.clear();
}

void TraceCapture::record(const char *text, int kind) {
    if (!Active) return;
    std::string line = text;
    if (kind == tr_KIND_ERROR) {
        const auto at = line.find(" IN '");
        Active->errors_.push_back(at == std::string::npos ? line : line.substr(at + 1));
    } else {
        Active->traces_.push_back(line);
    }
    Active->lines_.push_back({kind, std::move(line)});
}

std::vector<std::string> TraceCapture::of_kind(int kind) const {
    std::vector<std::string> out;
    for (const Line &line : lines_)
        if (line.kind == kind) out.push_back(line.text);
    return out;
}

bool TraceCapture::traced(const std::string &text) const {
    return std::any_of(traces_.begin(), traces_.end(),
                       [&](const std::string &t) { return t.find(text) != std::string::npos; });
}

}  // namespace orvtest
