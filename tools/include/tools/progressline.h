#pragma once

#include <cstdio>
#include <string>

// One line on a terminal that a command over many files rewrites in place: which file of how
// many it is working on and the points read so far. It writes only when its stream is a
// terminal, so logs and pipes get nothing extra.
//
// Anything else printed to the same terminal while the line stands must come after Clear().
class ProgressLine {
public:
    // `total` files will be shown on `stream`.
    ProgressLine(FILE* stream, int total);
    // Clears the line.
    ~ProgressLine();
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    [[nodiscard]] bool Active() const { return active_; }

    // Shows "file n of total: name, points points so far", cut to the terminal's width by
    // leaving out the start of the name.
    void Show(int n, const std::string& name, long long pointsSoFar);
    // Removes the line, leaving the cursor at the start of the empty line.
    void Clear();

private:
    FILE* stream_;
    int total_;
    bool active_;
    size_t shown_ = 0; // columns the line on screen takes, 0 when none
};
