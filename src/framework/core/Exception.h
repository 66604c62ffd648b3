#pragma once

#include <QByteArray>
#include <QString>
#include <exception>

// Base of the program's failures. The message is what the user reads in the
// error box; an exception may wrap the one that caused it.
class Exception : public std::exception {
public:
    explicit Exception(QString message, std::exception_ptr inner = nullptr);

    const QString& Message() const { return message_; }
    std::exception_ptr InnerException() const { return inner_; }
    const char* what() const noexcept override { return utf8_.constData(); }

private:
    QString message_;
    std::exception_ptr inner_;
    QByteArray utf8_;
};

// The silent failure: it unwinds a handler without telling the user.
class EAbort : public Exception {
public:
    EAbort() : Exception(QStringLiteral("Operation aborted")) {}
};

class EFOpenError : public Exception {
    using Exception::Exception;
};

class EBitmapLoadingFailed : public Exception {
    using Exception::Exception;
};

// A window description that names something the program doesn't know.
class EDescriptionError : public Exception {
    using Exception::Exception;
};
