// brisklander-db: makes and looks after the files of a program folder.
//
//   brisklander-db create FOLDER [EXECUTABLE-NAME]
//       creates the workgroup file, the database (tables, stored query, the
//       demonstration airports and sample catalogues) and the settings file that
//       are missing in FOLDER; existing files are never replaced.

#include "airports/starterdata.h"
#include "core/engine.h"

#include <QCoreApplication>
#include <QTextStream>

namespace {

int usage(QTextStream& err)
{
    err << "usage: brisklander-db create FOLDER [EXECUTABLE-NAME]\n";
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.isEmpty())
        return usage(err);

    if (args[0] == QLatin1String("create")) {
        if (args.size() < 2 || args.size() > 3)
            return usage(err);
        const QString executable = args.size() == 3 ? args[2] : QStringLiteral("Brisklander");
        try {
            const StarterData::Result result =
                StarterData::createProgramFolder(args[1], executable);
            for (const QString& name : result.created)
                out << "created " << name << '\n';
            for (const QString& name : result.kept)
                out << "kept    " << name << '\n';
            for (const QString& warning : result.warnings)
                err << "warning: " << warning << '\n';
            return 0;
        } catch (const Db::DbError& error) {
            err << "error " << error.number() << ": " << error.description() << '\n';
            return 1;
        }
    }
    return usage(err);
}
