#pragma once

#include <QString>
#include <QStringList>

namespace workbench {

// Equation files (`.zez`), as the zezo calculator reads them: UTF-8 text, one equation a line.

// The file's text as a document: a byte-order mark and one final line break dropped, "\r\n"
// read as "\n". Text that is not UTF-8 is read as Latin-1, byte for byte. False, with Error
// saying why, for a file that cannot be read, is not text (it holds NUL bytes) or is larger
// than a document should be.
bool ReadZezFile(const QString& Path, QString& Text, QString& Error);
// Writes Text in UTF-8, replacing the file only once the whole text is written. False, with
// Error, when that fails. A document's text goes with a line break at its end.
bool WriteTextFile(const QString& Path, const QString& Text, QString& Error);
// Path with "." and Suffix added when its name has no extension.
QString WithSuffix(const QString& Path, const QString& Suffix);
// Wanted, or "Wanted 2", "Wanted 3", ... whichever no name in Taken is (letter case aside).
QString UnusedName(const QStringList& Taken, const QString& Wanted);

} // namespace workbench
