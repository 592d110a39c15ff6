#include "automation/Variant.h"

#include "automation/Object.h"
#include "shell/Arithmetic.h"
#include "shell/RuntimeError.h"

Variant::Variant(const Object &value) : mValue(value.dispatch()) {}

Variant Variant::missing()
{
    Variant result;
    result.mValue = MissingTag{};
    return result;
}

Variant::Type Variant::type() const
{
    switch (mValue.index()) {
    case 0: return Type::Empty;
    case 1: return Type::Boolean;
    case 2: return Type::Integer;
    case 3: return Type::Long;
    case 4: return Type::Double;
    case 5: return Type::String;
    case 6: return std::get<std::shared_ptr<Dispatch>>(mValue) ? Type::Object : Type::Empty;
    default: return Type::Missing;
    }
}

bool Variant::toBool() const
{
    switch (type()) {
    case Type::Empty: return false;
    case Type::Boolean: return std::get<bool>(mValue);
    case Type::Integer:
    case Type::Long:
    case Type::Double: return toDouble() != 0.0;
    case Type::String: {
        const QString text = std::get<QString>(mValue).trimmed();
        if (text.compare(QStringLiteral("True"), Qt::CaseInsensitive) == 0)
            return true;
        if (text.compare(QStringLiteral("False"), Qt::CaseInsensitive) == 0)
            return false;
        bool ok = false;
        const double number = text.toDouble(&ok);
        if (ok)
            return number != 0.0;
        break;
    }
    default: break;
    }
    raise(StandardError::TypeMismatch);
}

double Variant::toDouble() const
{
    switch (type()) {
    case Type::Empty: return 0.0;
    case Type::Boolean: return std::get<bool>(mValue) ? -1.0 : 0.0;
    case Type::Integer: return std::get<qint16>(mValue);
    case Type::Long: return std::get<qint32>(mValue);
    case Type::Double: return std::get<double>(mValue);
    case Type::String: {
        bool ok = false;
        const double number = std::get<QString>(mValue).trimmed().toDouble(&ok);
        if (ok)
            return number;
        break;
    }
    default: break;
    }
    raise(StandardError::TypeMismatch);
}

qint32 Variant::toLong() const
{
    return Arithmetic::nearestToInt32(toDouble());
}

QString Variant::toString() const
{
    switch (type()) {
    case Type::Empty: return QString();
    case Type::Boolean: return std::get<bool>(mValue) ? QStringLiteral("True") : QStringLiteral("False");
    case Type::Integer: return QString::number(std::get<qint16>(mValue));
    case Type::Long: return QString::number(std::get<qint32>(mValue));
    case Type::Double: return QString::number(std::get<double>(mValue), 'g', 15);
    case Type::String: return std::get<QString>(mValue);
    default: break;
    }
    raise(StandardError::TypeMismatch);
}

Object Variant::toObject() const
{
    switch (type()) {
    case Type::Empty: return Object();
    case Type::Object: return Object(std::get<std::shared_ptr<Dispatch>>(mValue));
    default: break;
    }
    raise(StandardError::TypeMismatch);
}
