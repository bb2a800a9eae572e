#include "platform/Paths.h"

#include "platform/Cp1252.h"

#include <QCoreApplication>
#include <QFile>
#include <QStandardPaths>
#include <QString>

#include <string>
#include <string_view>

namespace korvid {

namespace {

constexpr char16_t EscapeBase = 0xDC00;

bool IsContinuation(unsigned char Byte) {
    return (Byte & 0xC0) == 0x80;
}

// The length of the well-formed UTF-8 sequence at Pos and its code point, or 0 when there is
// none (overlong forms, surrogates and code points past U+10FFFF are not well formed).
std::size_t DecodeSequence(std::string_view Bytes, std::size_t Pos, char32_t& CodePoint) {
    const auto Lead = static_cast<unsigned char>(Bytes[Pos]);
    std::size_t Length = 0;
    char32_t Minimum = 0;
    if (Lead < 0x80) {
        CodePoint = Lead;
        return 1;
    }
    if (Lead >= 0xC2 && Lead <= 0xDF) {
        Length = 2;
        CodePoint = Lead & 0x1F;
        Minimum = 0x80;
    } else if (Lead >= 0xE0 && Lead <= 0xEF) {
        Length = 3;
        CodePoint = Lead & 0x0F;
        Minimum = 0x800;
    } else if (Lead >= 0xF0 && Lead <= 0xF4) {
        Length = 4;
        CodePoint = Lead & 0x07;
        Minimum = 0x10000;
    } else {
        return 0;
    }
    if (Pos + Length > Bytes.size())
        return 0;
    for (std::size_t I = 1; I < Length; ++I) {
        const auto Byte = static_cast<unsigned char>(Bytes[Pos + I]);
        if (!IsContinuation(Byte))
            return 0;
        CodePoint = (CodePoint << 6) | (Byte & 0x3F);
    }
    const bool Surrogate = CodePoint >= 0xD800 && CodePoint <= 0xDFFF;
    return CodePoint < Minimum || Surrogate || CodePoint > 0x10FFFF ? 0 : Length;
}

void AppendUtf8(std::string& Out, char32_t CodePoint) {
    if (CodePoint < 0x80) {
        Out += static_cast<char>(CodePoint);
    } else if (CodePoint < 0x800) {
        Out += static_cast<char>(0xC0 | (CodePoint >> 6));
        Out += static_cast<char>(0x80 | (CodePoint & 0x3F));
    } else if (CodePoint < 0x10000) {
        Out += static_cast<char>(0xE0 | (CodePoint >> 12));
        Out += static_cast<char>(0x80 | ((CodePoint >> 6) & 0x3F));
        Out += static_cast<char>(0x80 | (CodePoint & 0x3F));
    } else {
        Out += static_cast<char>(0xF0 | (CodePoint >> 18));
        Out += static_cast<char>(0x80 | ((CodePoint >> 12) & 0x3F));
        Out += static_cast<char>(0x80 | ((CodePoint >> 6) & 0x3F));
        Out += static_cast<char>(0x80 | (CodePoint & 0x3F));
    }
}

} // namespace

QString PathToQString(const std::filesystem::path& Path) {
    const std::string_view Bytes = Path.native();
    QString Text;
    Text.reserve(static_cast<qsizetype>(Bytes.size()));
    for (std::size_t Pos = 0; Pos < Bytes.size();) {
        char32_t CodePoint = 0;
        if (const std::size_t Length = DecodeSequence(Bytes, Pos, CodePoint)) {
            for (const QChar Unit : QChar::fromUcs4(CodePoint))
                Text += Unit;
            Pos += Length;
        } else {
            Text += QChar(EscapeBase + static_cast<unsigned char>(Bytes[Pos]));
            ++Pos;
        }
    }
    return Text;
}

std::filesystem::path PathFromQString(const QString& Text) {
    std::string Bytes;
    Bytes.reserve(static_cast<std::size_t>(Text.size()));
    for (qsizetype I = 0; I < Text.size(); ++I) {
        const char16_t Unit = Text[I].unicode();
        if (QChar::isHighSurrogate(Unit) && I + 1 < Text.size() &&
            QChar::isLowSurrogate(Text[I + 1].unicode())) {
            AppendUtf8(Bytes, QChar::surrogateToUcs4(Unit, Text[I + 1].unicode()));
            ++I;
        } else if (Unit >= EscapeBase + 0x80 && Unit <= EscapeBase + 0xFF) {
            Bytes += static_cast<char>(Unit - EscapeBase);
        } else {
            // Any other lone surrogate keeps its generalised UTF-8 form, which no name decodes
            // to, rather than failing.
            AppendUtf8(Bytes, Unit);
        }
    }
    return Bytes;
}

std::string PathDisplayText(const std::filesystem::path& Path) {
    QString Text = PathToQString(Path);
    for (QChar& Unit : Text)
        if (Unit.isLowSurrogate() && Unit.unicode() >= EscapeBase + 0x80 &&
            Unit.unicode() <= EscapeBase + 0xFF)
            Unit = QChar::ReplacementCharacter;
    return FromQString(Text);
}

std::filesystem::path ApplicationDataFolder() {
    const std::filesystem::path Folder =
        PathFromQString(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
    std::error_code Ignored;
    std::filesystem::create_directories(Folder, Ignored);
    return Folder;
}

std::filesystem::path ProgramFolder() {
    if (QCoreApplication::instance())
        return PathFromQString(QCoreApplication::applicationDirPath());
    std::error_code Error;
    const auto Exe = std::filesystem::read_symlink("/proc/self/exe", Error);
    return Error ? std::filesystem::current_path() : Exe.parent_path();
}

namespace {

bool Exists(const std::filesystem::path& Path) {
    std::error_code Error;
    return std::filesystem::exists(std::filesystem::symlink_status(Path, Error));
}

QString QtSpelling(const std::filesystem::path& Name) {
    return QFile::decodeName(QByteArray::fromStdString(Name.native()));
}

// The one entry of Folder that Qt spells as it spells Name, or nothing.
std::filesystem::path EntrySpelledAs(const std::filesystem::path& Folder,
                                     const std::filesystem::path& Name) {
    const QString Wanted = QtSpelling(Name);
    std::filesystem::path Match;
    std::error_code Error;
    for (std::filesystem::directory_iterator It(Folder, Error), End; !Error && It != End;
         It.increment(Error)) {
        if (QtSpelling(It->path().filename()) != Wanted)
            continue;
        if (!Match.empty())
            return {};
        Match = It->path();
    }
    return Match;
}

} // namespace

std::filesystem::path DiskPathFromQtName(const QString& Name) {
    const std::filesystem::path Path = PathFromQString(Name);
    if (Exists(Path) || !Name.contains(QChar::ReplacementCharacter))
        return Path;
    std::filesystem::path Found;
    for (const std::filesystem::path& Part : Path) {
        std::filesystem::path Next = Found / Part;
        if (!Found.empty() && !Exists(Next))
            Next = EntrySpelledAs(Found, Part);
        if (Next.empty())
            return Path;
        Found = std::move(Next);
    }
    return Found;
}

} // namespace korvid
