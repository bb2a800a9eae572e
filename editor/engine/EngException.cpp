#include "editor/engine/EngException.h"

#include "editor/engine/StringResource.h"

namespace korvid {

namespace Id = EngineStringId;

ENoTimersAvailable::ENoTimersAvailable() : EEngException(GetEngineString(Id::NoTimers), 0) {}

ENoControllerAssigned::ENoControllerAssigned()
    : EControllerError(GetEngineString(Id::NoController), 0) {}

EDuplicateCommand::EDuplicateCommand()
    : ECmdProcessorError(GetEngineString(Id::DuplicateCommand), 0) {}

ETableNotFound::ETableNotFound() : ECmdProcessorError(GetEngineString(Id::TableNotFound), 0) {}

EInvalidLineOrCol::EInvalidLineOrCol(int Code)
    : EEditorError(GetEngineString(Id::InvalidLineOrCol), Code) {}

EInvalidLineOrPara::EInvalidLineOrPara(int Code)
    : EEditorError(GetEngineString(Id::InvalidLineOrPara), Code) {}

EInvalidFixedFont::EInvalidFixedFont()
    : EFixedFontError(GetEngineString(Id::InvalidFixedFont), 0) {}

EInvalidFontParam::EInvalidFontParam()
    : EFixedFontError(GetEngineString(Id::InvalidFontParam), 0) {}

std::uint16_t EngineErrorMessageId(int Code) {
    switch (Code) {
    case eeOutOfMemory:
        return Id::OutOfMemory;
    case eeRegionTooLarge:
        return Id::RegionTooLarge;
    case eeTooManyParas:
        return Id::TooManyParas;
    case eeCannotJoin:
        return Id::CannotJoin;
    case eeTextTooLarge:
        return Id::TextTooLarge;
    case eeParaTooLong:
        return Id::ParaTooLong;
    default:
        return Id::UnknownError;
    }
}

std::string EngineErrorMessage(int Code) {
    return GetEngineString(EngineErrorMessageId(Code));
}

void RaiseOutOfMemory() {
    throw EEngException(GetEngineString(Id::OutOfMemory), eeOutOfMemory);
}

} // namespace korvid
