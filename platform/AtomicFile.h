#pragma once

#include "platform/KorvidError.h"

#include <filesystem>
#include <string>
#include <string_view>

namespace korvid {

class EFileWriteError : public EKorvidError {
public:
    explicit EFileWriteError(const std::string& Message, int Error = 0)
        : EKorvidError(Message), FError(Error) {}
    // The system's error number of the step that failed, 0 when not known.
    int Error() const { return FError; }

private:
    int FError;
};

// Writes a file so that it is either wholly replaced or left as it was: the data goes to a
// temporary file in the target's folder, every write and the close are checked, and the
// temporary file is renamed over the target (keeping the old file's permissions). Without
// Commit, the destructor discards the temporary file and the target is untouched.
class TAtomicFileWriter {
public:
    explicit TAtomicFileWriter(std::filesystem::path Target);
    ~TAtomicFileWriter();
    TAtomicFileWriter(const TAtomicFileWriter&) = delete;
    TAtomicFileWriter& operator=(const TAtomicFileWriter&) = delete;

    void Write(std::string_view Data);
    void Commit();
    const std::filesystem::path& Target() const { return FTarget; }

private:
    [[noreturn]] void Fail(const std::string& What);
    void Discard() noexcept;

    std::filesystem::path FTarget;
    std::filesystem::path FTemp;
    int FHandle = -1;
    bool FCommitted = false;
};

// Replaces Target with Data in one step, as above.
void WriteFileAtomically(const std::filesystem::path& Target, std::string_view Data);

} // namespace korvid
