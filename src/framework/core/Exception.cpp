#include "Exception.h"

Exception::Exception(QString message, std::exception_ptr inner)
    : message_(std::move(message)), inner_(std::move(inner)), utf8_(message_.toUtf8()) {}
