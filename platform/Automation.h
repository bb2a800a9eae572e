#pragma once

#include "platform/KorvidError.h"
#include "platform/ProcessAnswer.h"

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace korvid {

// An automation server that cannot be reached; the text is the reason.
class EAutomationError : public EKorvidError {
public:
    using EKorvidError::EKorvidError;
};

// A late-bound automation object: members are reached by name, values are Windows-1252 strings.
// Every call raises EAutomationError when the server refuses it, and an EAnswerError when its
// answer does not come.
class TAutomationObject {
public:
    virtual ~TAutomationObject() = default;
    virtual void Call(const std::string& Member, const std::vector<std::string>& Arguments) = 0;
    virtual void Put(const std::string& Property, const std::string& Value) = 0;
    virtual std::string Get(const std::string& Property) = 0;
};

// Creates automation objects by programmatic identifier.
class TAutomationFactory {
public:
    virtual ~TAutomationFactory() = default;
    virtual std::unique_ptr<TAutomationObject> Create(const std::string& ProgId) = 0;
};

// The registration of automation classes lives in the settings store under this key.
inline constexpr const char* ClassesKey = "\\Software\\Classes";

// The class identifier registered for ProgId; empty when none is.
std::string RegisteredClassId(const std::string& ProgId);
// The server program registered for the class: the value with the empty name of
// "CLSID\<ClassId>\LocalServer32", its "Wow6432Node" form read first; empty when none is.
std::string RegisteredServerPath(const std::string& ClassId);

// Runs Program with Arguments (no shell) and waits at most Limit for it to end; an outlived limit
// kills it. False when it could not start or was killed.
bool RunAndWait(const std::string& Program, const std::vector<std::string>& Arguments,
                std::chrono::milliseconds Limit);

// Objects served by a registered program started with "-Embedding", spoken to over its standard
// input and output in length-prefixed frames, each answer awaited as Wait says. The program is
// asked to end when the object goes.
class TPipeAutomationFactory : public TAutomationFactory {
public:
    explicit TPipeAutomationFactory(TAnswerWait Wait = {});
    std::unique_ptr<TAutomationObject> Create(const std::string& ProgId) override;

private:
    TAnswerWait FWait;
};

// Waits between polls; the real one sleeps.
using TSleeper = std::function<void(std::chrono::milliseconds)>;
TSleeper RealSleeper();

} // namespace korvid
