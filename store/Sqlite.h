// A small RAII layer over the SQLite library: a connection and its prepared
// statements. Errors come back as SQLite's result codes, never as
// exceptions: a full disk must not unwind the path that counts hands.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

struct sqlite3;
struct sqlite3_stmt;

namespace tw {

class CSqlite {
public:
    CSqlite() = default;
    ~CSqlite() { Close(); }
    CSqlite(const CSqlite&) = delete;
    CSqlite& operator=(const CSqlite&) = delete;

    // Opens `path` (UTF-8) with SQLITE_OPEN_* `flags`; the SQLite result
    // code. A connection that failed to open is closed again.
    int Open(const std::string& path, int flags);
    void Close();
    bool IsOpen() const { return pDb != nullptr; }
    sqlite3* Handle() const { return pDb; }

    // Runs statements that return no rows.
    int Exec(const char* sql);
    // The first column of the first row of `sql` as a number.
    int QueryInt(const char* sql, std::int64_t& value) const;
    // The first column of the first row of `sql` as text.
    int QueryText(const char* sql, std::string& value) const;
    std::int64_t LastInsertId() const;
    // The last failure's text, for the log.
    std::wstring ErrorText() const;

private:
    sqlite3* pDb = nullptr;
};

// A prepared statement; binds count from 1, columns from 0.
class CStatement {
public:
    CStatement() = default;
    ~CStatement() { Finalize(); }
    CStatement(CStatement&& other) noexcept : pStmt(other.pStmt) { other.pStmt = nullptr; }
    CStatement& operator=(CStatement&& other) noexcept;
    CStatement(const CStatement&) = delete;
    CStatement& operator=(const CStatement&) = delete;

    int Prepare(const CSqlite& db, const char* sql);
    void Finalize();
    bool IsPrepared() const { return pStmt != nullptr; }

    CStatement& Bind(int i, std::int64_t value);
    CStatement& Bind(int i, int value) { return Bind(i, static_cast<std::int64_t>(value)); }
    CStatement& Bind(int i, double value);
    CStatement& Bind(int i, const std::wstring& text);
    CStatement& Bind(int i, const std::optional<double>& value);
    CStatement& Bind(int i, const std::optional<int>& value);
    CStatement& BindNull(int i);

    // SQLITE_ROW while rows come, SQLITE_DONE at the end, else the error.
    int Step();
    // Steps to the end and resets: SQLITE_DONE, or the error.
    int Run();
    // Ready to run again, with the bindings cleared.
    void Reset();

    bool IsNull(int column) const;
    std::int64_t Int(int column) const;
    double Real(int column) const;
    std::wstring Text(int column) const;
    std::optional<double> OptReal(int column) const;
    std::optional<int> OptInt(int column) const;

private:
    sqlite3_stmt* pStmt = nullptr;
};

// True for the result codes that mean the file is no sound database.
bool IsDamageCode(int rc);

} // namespace tw
