#pragma once

#include <QByteArrayView>

// Memory the process holds only as a view of a file.
namespace ResidentPages {

// Hands the pages that lie wholly inside these constant bytes back to the
// system when they are a read-only mapping of a file, as a picture carried in
// the program's binary is: the process stops counting them, and should they
// be read again the system brings them back from the file. Anything else
// (heap memory, a writable mapping) is left alone.
void GiveBack(QByteArrayView bytes);

}  // namespace ResidentPages
