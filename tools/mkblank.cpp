// Builds a blank template database from its schema text.
#include <SQLiteCpp/SQLiteCpp.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::cerr << "usage: mkblank SCHEMA.sql OUTPUT.mde\n";
        return 2;
    }
    const std::filesystem::path out = argv[2];
    const std::filesystem::path work = out.string() + ".tmp";
    try {
        std::ifstream in(argv[1]);
        std::stringstream sql;
        sql << in.rdbuf();
        if (!in) throw std::runtime_error(std::string("cannot read ") + argv[1]);
        std::filesystem::remove(work);
        {
            SQLite::Database db(work.string(), SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
            db.exec("PRAGMA journal_mode=DELETE");
            SQLite::Transaction tx(db);
            db.exec(sql.str());
            tx.commit();
        }
        std::filesystem::rename(work, out);
    } catch (const std::exception& e) {
        std::cerr << "mkblank: " << e.what() << '\n';
        std::filesystem::remove(work);
        return 1;
    }
    return 0;
}
