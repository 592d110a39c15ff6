#pragma once

#include <QString>

#include <memory>
#include <variant>

class Dispatch;
class Object;

// A value passed to or returned from a late-bound member: empty, boolean, 16- or 32-bit integer,
// double, string, object, or an omitted optional argument.
class Variant
{
public:
    enum class Type { Empty, Boolean, Integer, Long, Double, String, Object, Missing };

    Variant() = default;
    Variant(bool value) : mValue(value) {}
    Variant(qint16 value) : mValue(value) {}
    Variant(qint32 value) : mValue(value) {}
    Variant(double value) : mValue(value) {}
    Variant(const QString &value) : mValue(value) {}
    Variant(const char16_t *value) : mValue(QString::fromUtf16(value)) {}
    Variant(const char *value) : mValue(QString::fromUtf8(value)) {}
    Variant(const Object &value);

    // An omitted optional argument: the member uses its own default for it.
    static Variant missing();

    Type type() const;
    bool isEmpty() const { return type() == Type::Empty; }
    bool isMissing() const { return type() == Type::Missing; }

    // Conversions as automation does them; a value that cannot be converted throws
    // RuntimeError "Type mismatch".
    bool toBool() const;   // numbers: non-zero is true; "True"/"False"; empty is false
    qint32 toLong() const; // doubles round half to even; out of range is "Overflow"
    double toDouble() const;
    QString toString() const; // booleans as "True"/"False"
    Object toObject() const;  // empty gives Nothing

private:
    struct MissingTag
    {};
    using Value =
        std::variant<std::monostate, bool, qint16, qint32, double, QString, std::shared_ptr<Dispatch>, MissingTag>;
    Value mValue;
};
