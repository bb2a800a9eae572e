#pragma once

#include "editor/engine/EngineError.h"
#include "platform/KorvidError.h"

#include <cstdint>
#include <string>

namespace korvid {

// Base of the engine's errors; carries an error code besides the message.
class EEngException : public EKorvidError {
public:
    EEngException(const std::string& Message, int Code) : EKorvidError(Message), FCode(Code) {}
    int ErrorCode() const { return FCode; }

private:
    int FCode;
};

class ENoTimersAvailable : public EEngException {
public:
    ENoTimersAvailable();
};

class EControllerError : public EEngException {
public:
    using EEngException::EEngException;
};

class ENoControllerAssigned : public EControllerError {
public:
    ENoControllerAssigned();
};

class ECmdProcessorError : public EEngException {
public:
    using EEngException::EEngException;
};

class EDuplicateCommand : public ECmdProcessorError {
public:
    EDuplicateCommand();
};

class ETableNotFound : public ECmdProcessorError {
public:
    ETableNotFound();
};

class EEditorError : public EEngException {
public:
    using EEngException::EEngException;
};

class EInvalidLineOrCol : public EEditorError {
public:
    explicit EInvalidLineOrCol(int Code);
};

class EInvalidLineOrPara : public EEditorError {
public:
    explicit EInvalidLineOrPara(int Code);
};

class EFixedFontError : public EEngException {
public:
    using EEngException::EEngException;
};

class EInvalidFixedFont : public EFixedFontError {
public:
    EInvalidFixedFont();
};

class EInvalidFontParam : public EFixedFontError {
public:
    EInvalidFontParam();
};

// The engine string that explains an error code of the text operations (263 to 268; any other
// code gives the unknown-error text).
std::uint16_t EngineErrorMessageId(int Code);
std::string EngineErrorMessage(int Code);

// The out-of-memory error a failed allocation raises where no code can be returned.
[[noreturn]] void RaiseOutOfMemory();

} // namespace korvid
