#include "office/WordFind.h"

#include "shell/RuntimeError.h"

namespace {

const QString InvalidPattern = QStringLiteral(
    "The find text contains a pattern-matching expression that is not valid.");
// The program never searches with wildcards; a search that asks for them fails rather than
// finding something else.
const QString WildcardsNotSupported = QStringLiteral("Searching with wildcards is not supported.");

bool settingFor(FindSettings &settings, const QString &member, const Variant &value)
{
    struct Flag
    {
        const char16_t *name;
        bool FindSettings::*field;
    };
    static const Flag flags[] = {
        {u"Forward", &FindSettings::forward},
        {u"Format", &FindSettings::format},
        {u"MatchCase", &FindSettings::matchCase},
        {u"MatchWholeWord", &FindSettings::matchWholeWord},
        {u"MatchWildcards", &FindSettings::matchWildcards},
        {u"MatchSoundsLike", &FindSettings::matchSoundsLike},
        {u"MatchAllWordForms", &FindSettings::matchAllWordForms},
    };
    for (const Flag &flag : flags) {
        if (isMember(member, flag.name)) {
            settings.*flag.field = value.toBool();
            return true;
        }
    }
    if (isMember(member, u"Text") || isMember(member, u"FindText")) {
        settings.text = value.toString();
        return true;
    }
    if (isMember(member, u"Wrap")) {
        const qint32 wrap = value.toLong();
        if (wrap < 0 || wrap > 2)
            raise(StandardError::InvalidProcedureCall);
        settings.wrap = wrap;
        return true;
    }
    return false;
}

ReplaceMode replaceModeFrom(const Variant &value)
{
    switch (value.toLong()) {
    case 0: return ReplaceMode::None;
    case 1: return ReplaceMode::One;
    case 2: return ReplaceMode::All;
    default: raise(StandardError::InvalidProcedureCall);
    }
}

// A "^" code that stands for one fixed character, in find and replacement texts alike.
bool fixedCharacter(QChar code, QChar *character)
{
    switch (code.unicode()) {
    case '^': *character = QLatin1Char('^'); return true;
    case 't': *character = QLatin1Char('\t'); return true;
    case 'l': *character = QLatin1Char('\n'); return true;
    case 's': *character = QChar(0x00A0); return true; // no-break space
    case '~': *character = QChar(0x2011); return true; // no-break hyphen
    case '-': *character = QChar(0x00AD); return true; // optional hyphen
    default: return false;
    }
}

// Reads "^u1234" (a character by its decimal code) at text[i] == 'u'; advances i past it.
bool unicodeCode(const QString &text, qsizetype &i, QChar *character)
{
    if (text.at(i) != QLatin1Char('u'))
        return false;
    qsizetype end = i + 1;
    while (end < text.size() && text.at(end).isDigit())
        ++end;
    bool ok = false;
    const uint code = text.mid(i + 1, end - i - 1).toUInt(&ok);
    if (!ok || code > 0xFFFF)
        return false;
    *character = QChar(char16_t(code));
    i = end - 1;
    return true;
}

[[noreturn]] void invalidCode(QChar code)
{
    throw RuntimeError(QStringLiteral("\"^%1\" is not a valid special character in the find text.").arg(code));
}

QString escaped(QChar character)
{
    return QRegularExpression::escape(QString(character));
}

} // namespace

void FindSettings::set(const QString &member, const Variant &value)
{
    if (!settingFor(*this, member, value))
        Dispatch::unsupported();
}

ReplaceMode applyExecuteArguments(FindSettings &settings, const QList<Variant> &positional,
                                  const QList<NamedArgument> &named)
{
    static const char16_t *const order[] = {
        u"FindText", u"MatchCase", u"MatchWholeWord", u"MatchWildcards", u"MatchSoundsLike", u"MatchAllWordForms",
        u"Forward",  u"Wrap",      u"Format",         u"ReplaceWith",    u"Replace"};
    constexpr qsizetype count = sizeof(order) / sizeof(order[0]);
    ReplaceMode mode = ReplaceMode::None;
    const auto apply = [&](const QString &name, const Variant &value) {
        if (value.isMissing())
            return;
        if (isMember(name, u"ReplaceWith"))
            settings.replacementText = value.toString();
        else if (isMember(name, u"Replace"))
            mode = replaceModeFrom(value);
        else if (!settingFor(settings, name, value))
            throw RuntimeError(QStringLiteral("Named argument not found"));
    };
    for (qsizetype i = 0; i < positional.size(); ++i) {
        if (i >= count) {
            if (!positional.at(i).isMissing())
                raise(StandardError::InvalidProcedureCall);
            continue;
        }
        apply(QString::fromUtf16(order[i]), positional.at(i));
    }
    for (const NamedArgument &argument : named)
        apply(argument.name, argument.value);
    return mode;
}

QString patternForFindText(const QString &text)
{
    QString pattern;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != QLatin1Char('^') || i + 1 == text.size()) {
            pattern += escaped(c);
            continue;
        }
        const QChar code = text.at(++i);
        QChar character;
        if (fixedCharacter(code, &character) || unicodeCode(text, i, &character))
            pattern += escaped(character);
        else if (code == QLatin1Char('?'))
            pattern += QStringLiteral(".");
        else if (code == QLatin1Char('#'))
            pattern += QStringLiteral("[0-9]");
        else if (code == QLatin1Char('$'))
            pattern += QStringLiteral("\\p{L}");
        else if (code == QLatin1Char('w'))
            pattern += QStringLiteral("[ \\t\\x{00A0}]+");
        else
            invalidCode(code);
    }
    return pattern;
}

TextMatcher::TextMatcher(const FindSettings &settings) : mReplacement(settings.replacementText)
{
    if (settings.matchWildcards)
        throw RuntimeError(WildcardsNotSupported);
    if (settings.text.isEmpty())
        return; // finds nothing
    QString pattern = patternForFindText(settings.text);
    if (settings.matchWholeWord)
        pattern = QStringLiteral("(?<!\\w)(?:") + pattern + QStringLiteral(")(?!\\w)");
    QRegularExpression::PatternOptions options = QRegularExpression::UseUnicodePropertiesOption;
    if (!settings.matchCase)
        options |= QRegularExpression::CaseInsensitiveOption;
    mExpression = QRegularExpression(pattern, options);
    if (!mExpression.isValid())
        throw RuntimeError(InvalidPattern);
    replacementFor(QRegularExpressionMatch()); // a replacement with a bad code fails now
}

QString TextMatcher::replacementFor(const QRegularExpressionMatch &match) const
{
    QString result;
    for (qsizetype i = 0; i < mReplacement.size(); ++i) {
        const QChar c = mReplacement.at(i);
        if (c != QLatin1Char('^') || i + 1 == mReplacement.size()) {
            result += c;
            continue;
        }
        const QChar code = mReplacement.at(++i);
        QChar character;
        if (code == QLatin1Char('&'))
            result += match.captured(0);
        else if (fixedCharacter(code, &character) || unicodeCode(mReplacement, i, &character))
            result += character;
        else
            throw RuntimeError(
                QStringLiteral("\"^%1\" is not a valid special character in the replacement text.").arg(code));
    }
    return result;
}

QList<FindMatch> TextMatcher::matches(const QString &text) const
{
    QList<FindMatch> result;
    if (mExpression.pattern().isEmpty())
        return result;
    auto it = mExpression.globalMatch(text);
    while (it.hasNext()) {
        const QRegularExpressionMatch match = it.next();
        if (match.capturedLength(0) == 0)
            continue; // an empty occurrence replaces nothing
        result.append({match.capturedStart(0), match.capturedLength(0), match.captured(0), replacementFor(match)});
    }
    return result;
}

QString TextMatcher::replace(const QString &text, ReplaceMode mode, int *count) const
{
    QList<FindMatch> found = matches(text);
    if (mode == ReplaceMode::One && found.size() > 1)
        found.resize(1);
    if (count)
        *count = int(found.size());
    if (mode == ReplaceMode::None)
        return text;
    QString result = text;
    for (auto it = found.crbegin(); it != found.crend(); ++it)
        result.replace(it->start, it->length, it->replacement);
    return result;
}
