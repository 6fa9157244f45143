#include "store/Sqlite.h"

#include "support/TextUtil.h"

#include <sqlite3.h>

namespace tw {

int CSqlite::Open(const std::string& path, int flags) {
    Close();
    const int rc = sqlite3_open_v2(path.c_str(), &pDb, flags, nullptr);
    if (rc != SQLITE_OK) {
        // sqlite3_open_v2 hands out a connection even when it fails.
        sqlite3_close_v2(pDb);
        pDb = nullptr;
        return rc;
    }
    sqlite3_extended_result_codes(pDb, 0);
    return rc;
}

void CSqlite::Close() {
    if (pDb) {
        sqlite3_close_v2(pDb);
        pDb = nullptr;
    }
}

int CSqlite::Exec(const char* sql) {
    return pDb ? sqlite3_exec(pDb, sql, nullptr, nullptr, nullptr) : SQLITE_MISUSE;
}

int CSqlite::QueryInt(const char* sql, std::int64_t& value) const {
    CStatement st;
    int rc = st.Prepare(*this, sql);
    if (rc != SQLITE_OK)
        return rc;
    rc = st.Step();
    if (rc == SQLITE_ROW) {
        value = st.Int(0);
        return SQLITE_OK;
    }
    return rc == SQLITE_DONE ? SQLITE_EMPTY : rc;
}

int CSqlite::QueryText(const char* sql, std::string& value) const {
    CStatement st;
    int rc = st.Prepare(*this, sql);
    if (rc != SQLITE_OK)
        return rc;
    rc = st.Step();
    if (rc == SQLITE_ROW) {
        value = ToUtf8(st.Text(0));
        return SQLITE_OK;
    }
    return rc == SQLITE_DONE ? SQLITE_EMPTY : rc;
}

std::int64_t CSqlite::LastInsertId() const {
    return pDb ? sqlite3_last_insert_rowid(pDb) : 0;
}

std::wstring CSqlite::ErrorText() const {
    return FromUtf8(pDb ? sqlite3_errmsg(pDb) : "no database");
}

CStatement& CStatement::operator=(CStatement&& other) noexcept {
    if (this != &other) {
        Finalize();
        pStmt = other.pStmt;
        other.pStmt = nullptr;
    }
    return *this;
}

int CStatement::Prepare(const CSqlite& db, const char* sql) {
    Finalize();
    if (!db.IsOpen())
        return SQLITE_MISUSE;
    return sqlite3_prepare_v3(db.Handle(), sql, -1, SQLITE_PREPARE_PERSISTENT, &pStmt, nullptr);
}

void CStatement::Finalize() {
    if (pStmt) {
        sqlite3_finalize(pStmt);
        pStmt = nullptr;
    }
}

CStatement& CStatement::Bind(int i, std::int64_t value) {
    sqlite3_bind_int64(pStmt, i, value);
    return *this;
}

CStatement& CStatement::Bind(int i, double value) {
    sqlite3_bind_double(pStmt, i, value);
    return *this;
}

CStatement& CStatement::Bind(int i, const std::wstring& text) {
    const std::string utf8 = ToUtf8(text);
    sqlite3_bind_text(pStmt, i, utf8.data(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
    return *this;
}

CStatement& CStatement::Bind(int i, const std::optional<double>& value) {
    return value ? Bind(i, *value) : BindNull(i);
}

CStatement& CStatement::Bind(int i, const std::optional<int>& value) {
    return value ? Bind(i, *value) : BindNull(i);
}

CStatement& CStatement::BindNull(int i) {
    sqlite3_bind_null(pStmt, i);
    return *this;
}

int CStatement::Step() {
    return pStmt ? sqlite3_step(pStmt) : SQLITE_MISUSE;
}

int CStatement::Run() {
    int rc = Step();
    while (rc == SQLITE_ROW)
        rc = Step();
    Reset();
    return rc;
}

void CStatement::Reset() {
    if (pStmt) {
        sqlite3_reset(pStmt);
        sqlite3_clear_bindings(pStmt);
    }
}

bool CStatement::IsNull(int column) const {
    return sqlite3_column_type(pStmt, column) == SQLITE_NULL;
}

std::int64_t CStatement::Int(int column) const {
    return sqlite3_column_int64(pStmt, column);
}

double CStatement::Real(int column) const {
    return sqlite3_column_double(pStmt, column);
}

std::wstring CStatement::Text(int column) const {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(pStmt, column));
    return text ? FromUtf8(std::string_view(
                      text, static_cast<std::size_t>(sqlite3_column_bytes(pStmt, column))))
                : std::wstring();
}

std::optional<double> CStatement::OptReal(int column) const {
    return IsNull(column) ? std::nullopt : std::optional<double>(Real(column));
}

std::optional<int> CStatement::OptInt(int column) const {
    return IsNull(column) ? std::nullopt : std::optional<int>(static_cast<int>(Int(column)));
}

bool IsDamageCode(int rc) {
    return rc == SQLITE_CORRUPT || rc == SQLITE_NOTADB;
}

} // namespace tw
