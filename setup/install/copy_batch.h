#pragma once
// The copies of a CopyFile section, handed to the platform in batches so that it may carry
// several out at once: copying is most of an install's time, and much of each copy is waiting.
// Every copy is still reported in script order, with its own outcome; a copy that reads or
// writes a file the batch writes waits for the batch, so each file ends as it would have
// ended with one copy after the other. Whether two paths name one file is the platform's
// question: "Conf\\A.bin" and "conf\\a.bin." may be one file, and so may names that differ
// in the case of a letter beyond ASCII.

#include "run_report.h"
#include "setup_platform.h"

#include <cstddef>
#include <string>
#include <vector>

namespace kelsetup {

class CopyBatch {
public:
    // At most this many copies wait for one another: the progress window's "Copying file"
    // line runs at most this far ahead of the copying.
    static constexpr std::size_t kLimit = 32;

    CopyBatch(SetupPlatform& platform, RunReport& report, std::string action)
        : platform_(platform), report_(report), action_(std::move(action)) {}
    ~CopyBatch() { Flush(); }
    CopyBatch(const CopyBatch&) = delete;
    CopyBatch& operator=(const CopyBatch&) = delete;

    void Add(const std::string& from, const std::string& to);
    // Copies what waits and reports it; before anything else is reported, and at the end.
    void Flush();

private:
    SetupPlatform& platform_;
    RunReport& report_;
    std::string action_;
    std::vector<FileCopy> copies_;
};

}  // namespace kelsetup
