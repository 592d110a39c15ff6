#pragma once

#include <QByteArray>
#include <QString>

#include <exception>

// The one failure type of the program: every failure, whether raised by our own code or by the
// document engine, carries the description that the error report shows.
class RuntimeError : public std::exception
{
public:
    explicit RuntimeError(const QString &description);

    const QString &description() const noexcept { return mDescription; }
    const char *what() const noexcept override { return mUtf8.constData(); }

private:
    QString mDescription;
    QByteArray mUtf8;
};

// The runtime's standard descriptions for failures raised by the program itself.
namespace StandardError {
inline constexpr char16_t Overflow[] = u"Overflow";
inline constexpr char16_t DivisionByZero[] = u"Division by zero";
inline constexpr char16_t ObjectNotSet[] = u"Object variable or With block variable not set";
inline constexpr char16_t FileNotFound[] = u"File not found";
inline constexpr char16_t PathNotFound[] = u"Path not found";
inline constexpr char16_t PermissionDenied[] = u"Permission denied";
inline constexpr char16_t PathFileAccess[] = u"Path/File access error";
inline constexpr char16_t DiskFull[] = u"Disk full";
inline constexpr char16_t TypeMismatch[] = u"Type mismatch";
inline constexpr char16_t InvalidProcedureCall[] = u"Invalid procedure call or argument";
inline constexpr char16_t OutOfMemory[] = u"Out of memory";
inline constexpr char16_t InvalidPicture[] = u"Invalid picture";
inline constexpr char16_t NotSupported[] = u"Object doesn't support this property or method";
inline constexpr char16_t CantCreateObject[] = u"Can't create object";
} // namespace StandardError

// Throws a RuntimeError with one of the standard descriptions above.
[[noreturn]] void raise(const char16_t *standardDescription);
