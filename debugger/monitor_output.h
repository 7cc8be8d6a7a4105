// Where the monitor's register dump, memory dump and listings go: standard
// output, or the text of a living MonitorCapture (the gdb stub answers its
// client's `monitor` commands with that text). One thread prints at a time:
// the emulation thread.
#pragma once

#include <string>

void monitor_print(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Collects what monitor_print prints while it lives; the previous
// destination comes back when it ends.
class MonitorCapture {
public:
    MonitorCapture();
    ~MonitorCapture();
    MonitorCapture(const MonitorCapture&) = delete;
    MonitorCapture& operator=(const MonitorCapture&) = delete;

    const std::string& text() const { return text_; }

private:
    std::string text_;
    std::string* previous_;
};
