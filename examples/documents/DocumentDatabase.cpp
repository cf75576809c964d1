#include "DocumentDatabase.h"

#include <QSqlError>
#include <QSqlQuery>

namespace {

struct TSample {
    const char* Title;
    const char* Body;
};

const TSample Samples[] = {
    {"Series RLC circuit", "{ a 10 V sine source driving R, L and C in series }\n"
                           "f: 1000\nw: 2*pi*f\nR: 100\nL: 0.05\nC: 1e-6\nV: 10\n"
                           "Z: R + 1j*w*L + 1/(1j*w*C)\ncurrent: V/Z\namplitude: Abs(current)\n"},
    {"Projectile",
     "{ thrown at 20 m/s, 35 degrees up, from 1.5 m }\n"
     "g: 9.81\nv0: 20\nangle: 35*pi/180\nh0: 1.5\nvx: v0*Cos(angle)\nvy: v0*Sin(angle)\n"
     "flight: (vy + Sqrt(vy^2 + 2*g*h0))/g\nrange: vx*flight\n"},
    {"Complex numbers", "z1: 3+4j\nz2: 1-2j\nproduct: z1*z2\nquotient: z1/z2\nmodulus: Abs(z1)\n"
                        "rotate(z; degrees): z*Exp(1j*degrees*pi/180)\nturned: rotate(z1; 90)\n"},
};

bool Exec(QSqlQuery& Query, const QString& Sql, QString& Error) {
    if (Query.exec(Sql)) return true;
    Error = Query.lastError().text();
    return false;
}

bool AddSamples(QSqlDatabase& Db, QString& Error) {
    QSqlQuery Query(Db);
    for (const TSample& Sample : Samples) {
        Query.prepare(QStringLiteral("INSERT INTO documents (title, body) VALUES (?, ?)"));
        Query.addBindValue(QString::fromUtf8(Sample.Title));
        Query.addBindValue(QString::fromUtf8(Sample.Body));
        if (!Query.exec()) {
            Error = Query.lastError().text();
            return false;
        }
    }
    return true;
}

} // namespace

bool TDocumentDatabase::Open(const QString& Path, QString& Error) {
    QSqlDatabase Db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"));
    if (!Db.isValid()) {
        Error = QStringLiteral("Qt's SQLite driver is missing (Debian: libqt6sql6-sqlite).");
        return false;
    }
    Db.setDatabaseName(Path);
    if (!Db.open()) {
        Error = Db.lastError().text();
        return false;
    }
    QSqlQuery Query(Db);
    if (!Exec(Query,
              QStringLiteral("CREATE TABLE IF NOT EXISTS documents ("
                             "id INTEGER PRIMARY KEY, title TEXT NOT NULL, body TEXT)"),
              Error) ||
        !Exec(Query, QStringLiteral("SELECT COUNT(*) FROM documents"), Error))
        return false;
    return !Query.next() || Query.value(0).toInt() > 0 || AddSamples(Db, Error);
}
