// brisklander-db: makes and looks after the files of a program folder.
//
//   brisklander-db create FOLDER [EXECUTABLE-NAME] [--airports DIR | --template DIR]
//       creates the workgroup file, the database (tables, stored query, sample
//       catalogues, and the airports of DIR or else a small demonstration set) and
//       the settings file that are missing in FOLDER; existing files are never
//       replaced. With --template they are copied from the program folder DIR
//       instead (the workgroup file and the database only together); a failure
//       leaves FOLDER as it was.
//   brisklander-db import FOLDER DIR [--update]
//       imports the OurAirports files of DIR (airports.csv, runways.csv,
//       countries.csv, optionally timezones.csv) into the database of the program
//       folder FOLDER; airports already there are left alone unless --update. A line
//       with a value the airport table cannot hold is reported and left out. Exit
//       status 0 when every line was taken, 3 when lines were rejected (the others
//       are imported), 1 when the import could not run (a file that cannot be read,
//       a database failure) or kept no airport.
//   brisklander-db backup FOLDER FILE
//       writes a checked copy of the database of FOLDER to FILE, replacing FILE only
//       once the copy is whole; the program may be running. The time is recorded for
//       the program's reminder at exit.
//   brisklander-db restore FOLDER FILE
//       checks FILE (a whole database of FOLDER's workgroup) and puts it in place of the
//       database of FOLDER, keeping the replaced one beside it as
//       Brisklander.mdb.before-restore-YYYYMMDD-HHMMSS; refused while the program runs
//       on FOLDER.
//   Exit status of backup and restore: 0 done, 1 failed (nothing changed), 2 usage.
//   brisklander-db server-init CONNECTION
//       makes the program's tables, and the roles brisklander_dispatcher and
//       brisklander_admin, on the empty PostgreSQL database CONNECTION (a libpq connection
//       string or URI; the PG* environment variables apply), all or nothing.
//   brisklander-db copy FOLDER CONNECTION
//       copies the data of the program folder FOLDER into the server database CONNECTION,
//       made by server-init and still empty, all or nothing, and says how many rows of
//       each table it copied.
//   Exit status of server-init and copy: 0 done, 1 failed (nothing changed), 2 usage.
//
// FOLDER "-" is the folder the program would use: the folder BRISKLANDER_HOME names;
// else this tool's own folder when a writable Brisklander.INI lies in it (a portable
// copy); else $XDG_DATA_HOME/Brisklander (~/.local/share/Brisklander).

#include "core/db/engine.h"
#include "core/db/schema.h"
#include "core/db/serverschema.h"
#include "core/folder/databasebackup.h"
#include "core/folder/databasefiles.h"
#include "core/folder/datafolder.h"
#include "core/folder/instancelock.h"
#include "core/folder/ourairportsimport.h"
#include "core/folder/servercopy.h"
#include "core/folder/starterdata.h"

#include <QDir>
#include <QFileInfo>
#include <cstdio>
#include <unistd.h>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

namespace {

int usage(QTextStream& err)
{
    err << "usage: brisklander-db create FOLDER [EXECUTABLE-NAME] [--airports DIR | --template "
           "DIR]\n"
           "       brisklander-db import FOLDER DIR [--update]\n"
           "       brisklander-db backup FOLDER FILE\n"
           "       brisklander-db restore FOLDER FILE\n"
           "       brisklander-db server-init CONNECTION\n"
           "       brisklander-db copy FOLDER CONNECTION\n";
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("brisklander-db"));
    QTextStream out(stdout);
    QTextStream err(stderr);

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Makes and looks after the files of a Brisklander program folder."));
    parser.addHelpOption();
    parser.addPositionalArgument(
        QStringLiteral("command"),
        QStringLiteral("create, import, backup (a checked copy of the database into FILE, the "
                       "program running or not), restore (FILE checked and put in place of "
                       "the database, the replaced one kept beside it; the program closed), "
                       "server-init (the program's tables on an empty PostgreSQL database) or "
                       "copy (a folder's data into such a database)"));
    parser.addPositionalArgument(QStringLiteral("FOLDER"), DataFolder::toolFolderHelp());
    const QCommandLineOption airportsOption(
        QStringLiteral("airports"),
        QStringLiteral("create: the OurAirports files to fill the airport table from."),
        QStringLiteral("DIR"));
    const QCommandLineOption updateOption(
        QStringLiteral("update"), QStringLiteral("import: replace airports already there."));
    const QCommandLineOption templateOption(
        QStringLiteral("template"),
        QStringLiteral("create: copy the missing files from the program folder DIR."),
        QStringLiteral("DIR"));
    parser.addOption(airportsOption);
    parser.addOption(templateOption);
    parser.addOption(updateOption);
    if (!parser.parse(QCoreApplication::arguments())) {
        err << "brisklander-db: " << parser.errorText() << '\n';
        return usage(err);
    }
    if (parser.isSet(QStringLiteral("help"))) {
        out << parser.helpText();
        usage(out);
        return 0;
    }
    QStringList args = parser.positionalArguments();
    if (args.isEmpty())
        return usage(err);
    if (args[0] == QLatin1String("server-init")) {
        if (args.size() != 2 || parser.isSet(airportsOption) || parser.isSet(templateOption) ||
            parser.isSet(updateOption))
            return usage(err);
        try {
            ServerSchema::create(args[1]);
            out << "made the program's tables on " << Db::describeLocation(args[1]) << '\n';
            return 0;
        } catch (const Db::DbError& error) {
            err << "error " << error.number() << ": " << error.description() << '\n';
            return 1;
        }
    }
    if (args.size() > 1) {
        QString error;
        args[1] = DataFolder::toolFolder(args[1], &error);
        if (args[1].isEmpty()) {
            err << "error: " << error << '\n';
            return 1;
        }
    }

    if (args[0] == QLatin1String("import")) {
        if (args.size() != 3 || parser.isSet(airportsOption) || parser.isSet(templateOption))
            return usage(err);
        const QDir folder(args[1]);
        OurAirports::Options options = OurAirports::Options::inFolder(args[2]);
        options.updateExisting = parser.isSet(updateOption);
        const bool terminal = isatty(fileno(stderr));
        try {
            // Held until the import is done, so the program's exit never compacts the
            // file under it.
            const auto writers = LockDatabaseWriters(folder.path());
            for (const QString& line : RecoverProgramFolder(folder.path()))
                out << "recovered: " << line << '\n';
            Db::DbEngine& engine = Db::DbEngine::instance();
            engine.setSystemDB(folder.filePath(Schema::WorkgroupFileName));
            auto workspace = engine.createWorkspace(QStringLiteral("Import"), Schema::UserName,
                                                    Schema::Password);
            const OurAirports::Summary summary =
                OurAirports::import(*workspace, folder.filePath(Schema::DatabaseFileName), options,
                                    [&err, terminal](int done, int total) {
                                        if (terminal) {
                                            err << "\rimporting " << done << " of " << total
                                                << " airports";
                                            err.flush();
                                        }
                                    });
            if (terminal)
                err << "\n";
            out << OurAirports::summaryText(summary) << '\n';
            workspace->close();
            if (summary.read == 0) {
                err << "error: " << options.airportsCsv << " holds no airports\n";
                return 1;
            }
            if (summary.kept == 0) {
                err << "error: no airport of " << options.airportsCsv << " was imported\n";
                return 1;
            }
            return summary.clean() ? 0 : 3;
        } catch (const Db::DbError& error) {
            err << "\nerror " << error.number() << ": " << error.description() << '\n';
            return 1;
        }
    }

    if (args[0] == QLatin1String("backup") || args[0] == QLatin1String("restore")) {
        if (args.size() != 3 || parser.isSet(airportsOption) || parser.isSet(updateOption))
            return usage(err);
        try {
            const DatabaseBackup::Report report = args[0] == QLatin1String("backup")
                                                      ? DatabaseBackup::backup(args[1], args[2])
                                                      : DatabaseBackup::restore(args[1], args[2]);
            for (const QString& line : report.done)
                out << line << '\n';
            for (const QString& warning : report.warnings)
                err << "warning: " << warning << '\n';
            return 0;
        } catch (const Db::DbError& error) {
            err << "error " << error.number() << ": " << error.description() << '\n';
            err << (args[0] == QLatin1String("backup")
                        ? "No backup was made; a file already there was left as it was.\n"
                        : "Nothing was restored; the database was left as it was.\n");
            return 1;
        }
    }

    if (args[0] == QLatin1String("copy")) {
        if (args.size() != 3 || parser.isSet(airportsOption) || parser.isSet(templateOption) ||
            parser.isSet(updateOption))
            return usage(err);
        try {
            for (const QString& line :
                 ServerCopy::summaryLines(ServerCopy::copyFolder(args[1], args[2])))
                out << line << '\n';
            return 0;
        } catch (const Db::DbError& error) {
            err << "error " << error.number() << ": " << error.description() << '\n';
            err << "Nothing was copied; the server database was left as it was.\n";
            return 1;
        }
    }

    if (args[0] == QLatin1String("create")) {
        const QStringList rest = args.mid(1);
        const QString airports = parser.value(airportsOption);
        const QString from = parser.value(templateOption);
        if (rest.isEmpty() || rest.size() > 2 || parser.isSet(updateOption) ||
            (parser.isSet(airportsOption) && airports.isEmpty()) ||
            (parser.isSet(templateOption) && (from.isEmpty() || parser.isSet(airportsOption))))
            return usage(err);
        const QString executable = rest.size() == 2 ? rest[1] : QStringLiteral("Brisklander");
        try {
            // Made first, so that the writers' lock can be taken in it.
            StarterData::makeFolder(rest[0]);
            const auto writers = LockDatabaseWriters(rest[0]);
            const StarterData::Result result =
                StarterData::createProgramFolder(rest[0], executable, airports, from);
            for (const QString& line : result.recovered)
                out << "recovered: " << line << '\n';
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
