#include "server/schema.h"

#include <array>
#include <span>
#include <string_view>

#include <fmt/format.h>

#include "host/soci.h"
#include "server/write_transaction.h"

namespace server {

namespace {

// Each version's statements, as first released; never edit one, add the next version.
// Placeholders name the types that differ between the two databases.
constexpr std::array<std::string_view, 10> kVersion1 = {
    R"(CREATE TABLE BANCO (
         CDBANCO VARCHAR(3) NOT NULL PRIMARY KEY,
         NMBANCO VARCHAR(30),
         CDBANCCNAB VARCHAR(3),
         CDPICTCONT VARCHAR(20)))",
    R"(CREATE TABLE CONTCORR (
         CDREDUCONT VARCHAR(3) NOT NULL PRIMARY KEY,
         CDBANCO VARCHAR(3) NOT NULL,
         CDAGENCIA VARCHAR(5) NOT NULL,
         NRCONTCORR VARCHAR(20) NOT NULL,
         IDTIPOCONTA VARCHAR(1) NOT NULL CHECK (IDTIPOCONTA IN ('C', 'L', 'G')),
         NMCONTCORR VARCHAR(40)))",
    "CREATE INDEX CONTCORR_CONTA ON CONTCORR (CDBANCO, CDAGENCIA, NRCONTCORR)",
    R"(CREATE TABLE LAYOUTBANCO (
         CDEMPRESA VARCHAR(10) NOT NULL,
         CDBANCO VARCHAR(3) NOT NULL,
         IDLAYOUT VARCHAR(3),
         PRIMARY KEY (CDEMPRESA, CDBANCO)))",
    R"(CREATE TABLE DIRETORIO (
         CDPROGRAMA VARCHAR(8) NOT NULL PRIMARY KEY,
         DSDIRETORIO VARCHAR(100)))",
    R"(CREATE TABLE EXTRBANCO (
         CDREDUCONT VARCHAR(3) NOT NULL,
         CDSEQUEXTR VARCHAR(10) NOT NULL,
         DTSALDINIC {date},
         DTSALDFIN {date},
         VRSALDINIC {amount},
         VRSALDFIM {amount},
         IDEXTRINI VARCHAR(1),
         IDEXTRFIM VARCHAR(1),
         PRIMARY KEY (CDREDUCONT, CDSEQUEXTR)))",
    "CREATE INDEX EXTRBANCO_SALDO ON EXTRBANCO (CDREDUCONT, DTSALDINIC)",
    R"(CREATE TABLE MOVREAL (
         CDREDUCONT VARCHAR(3) NOT NULL,
         CDSEQUEXTR VARCHAR(10) NOT NULL,
         NRSEQMOVREAL VARCHAR(10) NOT NULL,
         NRDOCMOVREAL VARCHAR(20),
         DTMOVREAL {date},
         VRMOVREAL {amount},
         IDMOVREAL VARCHAR(1),
         DSHISTMOVREAL VARCHAR(40),
         IDTIPOREGI VARCHAR(2),
         CDCATELANC VARCHAR(4),
         IDSTCONMVBAN VARCHAR(1),
         IDTPMOVREAL VARCHAR(1),
         PRIMARY KEY (CDREDUCONT, CDSEQUEXTR, NRSEQMOVREAL)))",
    R"(CREATE INDEX MOVREAL_PESQUISA
         ON MOVREAL (CDREDUCONT, NRDOCMOVREAL, DTMOVREAL, VRMOVREAL))",
    // One row per account of each stored submission.
    R"(CREATE TABLE LOGIMPEXTR (
         NRLOGIMP {serial},
         DTHRIMPORT {timestamp} NOT NULL,
         NMMETODO VARCHAR(20) NOT NULL,
         CDREDUCONT VARCHAR(3) NOT NULL,
         QTMOVREAL INTEGER NOT NULL,
         IDIMPIGUAIS VARCHAR(1)))",
};

// Which submission stored each movement, so that an import can be listed and undone.
// Movements stored before this version belong to no listed import (0).
constexpr std::array<std::string_view, 7> kVersion2 = {
    "ALTER TABLE MOVREAL ADD COLUMN NRLOGIMP {bigint}",
    "UPDATE MOVREAL SET NRLOGIMP = 0",
    "CREATE INDEX MOVREAL_LOG ON MOVREAL (NRLOGIMP)",
    // A submission finds the rows it has just stored, and only those, through this.
    "CREATE INDEX MOVREAL_SEMLOG ON MOVREAL (CDREDUCONT) WHERE NRLOGIMP IS NULL",
    "ALTER TABLE LOGIMPEXTR ADD COLUMN NMARQUIVO VARCHAR(255)",
    "ALTER TABLE LOGIMPEXTR ADD COLUMN DTHRDESFEITA {timestamp}",
    // The statements a submission stored movements in; whether it created the header
    // (it had no movement before), and the final balance it replaced.
    R"(CREATE TABLE EXTRLOGIMP (
         NRLOGIMP {bigint} NOT NULL,
         CDREDUCONT VARCHAR(3) NOT NULL,
         CDSEQUEXTR VARCHAR(10) NOT NULL,
         IDCRIADO VARCHAR(1) NOT NULL,
         IDALTERADO VARCHAR(1) NOT NULL,
         DTSALDFIN {date},
         VRSALDFIM {amount},
         IDEXTRFIM VARCHAR(1),
         PRIMARY KEY (NRLOGIMP, CDREDUCONT, CDSEQUEXTR)))",
};

// The version of each account's statements and movements, raised by every write into
// them: an import that read the account checks it when it commits. And the index that
// pages an account's movements by date.
constexpr std::array<std::string_view, 2> kVersion3 = {
    R"(CREATE TABLE VERSAOCONTA (
         CDREDUCONT VARCHAR(3) NOT NULL PRIMARY KEY,
         NRVERSAO {bigint} NOT NULL))",
    // An account's movements listed by date, a page at a time.
    "CREATE INDEX MOVREAL_DATA ON MOVREAL (CDREDUCONT, DTMOVREAL, CDSEQUEXTR, NRSEQMOVREAL)",
};

// The users who may call the server, and who made and who undid each import. Imports
// stored before this version name no one.
constexpr std::array<std::string_view, 3> kVersion4 = {
    R"(CREATE TABLE USUARIO (
         NMUSUARIO VARCHAR(30) NOT NULL PRIMARY KEY,
         IDPAPEL VARCHAR(12) NOT NULL CHECK (IDPAPEL IN ('ler', 'importar', 'administrar')),
         DSSAL VARCHAR(32) NOT NULL,
         DSHASHTOKEN VARCHAR(64) NOT NULL,
         DTHRCRIACAO VARCHAR(19) NOT NULL))",
    "ALTER TABLE LOGIMPEXTR ADD COLUMN NMUSUARIO VARCHAR(30)",
    "ALTER TABLE LOGIMPEXTR ADD COLUMN NMUSUDESFEZ VARCHAR(30)",
};

// The period of an import, kept when it is undone: its movements, which gave the
// period, are gone then.
constexpr std::array<std::string_view, 2> kVersion5 = {
    "ALTER TABLE LOGIMPEXTR ADD COLUMN DTINICIO {date}",
    "ALTER TABLE LOGIMPEXTR ADD COLUMN DTFIM {date}",
};

constexpr std::array<std::span<const std::string_view>, kSchemaVersion> kVersions = {
    kVersion1, kVersion2, kVersion3, kVersion4, kVersion5};

std::string ForDialect(std::string_view statement, Dialect dialect) {
  bool lite = dialect == Dialect::kSqlite;
  return fmt::format(fmt::runtime(statement), fmt::arg("date", lite ? "TEXT" : "DATE"),
                     fmt::arg("amount", lite ? "REAL" : "NUMERIC(18,2)"),
                     fmt::arg("serial", lite ? "INTEGER PRIMARY KEY"
                                             : "BIGINT GENERATED ALWAYS AS IDENTITY PRIMARY KEY"),
                     fmt::arg("timestamp", lite ? "TEXT" : "TIMESTAMP WITH TIME ZONE"),
                     fmt::arg("bigint", lite ? "INTEGER" : "BIGINT"));
}

int ReadVersion(soci::session& session) {
  int version = 0;
  soci::indicator present = soci::i_null;
  session << "SELECT MAX(NRVERSAO) FROM VERSAOESQUEMA", soci::into(version, present);
  return present == soci::i_ok ? version : 0;
}

}  // namespace

int StoredSchemaVersion(soci::session& session, Dialect dialect) {
  std::string table;
  soci::indicator found = soci::i_null;
  session << (dialect == Dialect::kSqlite
                  ? "SELECT name FROM sqlite_master WHERE type = 'table' AND name = 'VERSAOESQUEMA'"
                  : "SELECT CAST(to_regclass('versaoesquema') AS TEXT)"),
      soci::into(table, found);
  if (!session.got_data() || found != soci::i_ok)
    return 0;
  return ReadVersion(session);
}

void MigrateSchema(soci::session& session, Dialect dialect) {
  // Most starts find the tables current: checked without taking the write lock, so
  // that a start does not wait for another process's import to commit.
  if (StoredSchemaVersion(session, dialect) == kSchemaVersion)
    return;
  WriteTransaction transaction(session, dialect);
  session << "CREATE TABLE IF NOT EXISTS VERSAOESQUEMA (NRVERSAO INTEGER NOT NULL)";
  // Two servers starting on one new database must not both create the tables.
  if (dialect == Dialect::kPostgresql)
    session << "LOCK TABLE VERSAOESQUEMA IN EXCLUSIVE MODE";
  int version = ReadVersion(session);
  if (version > kSchemaVersion) {
    throw DatabaseError(fmt::format(
        "O banco de dados está na versão {} do esquema, mais nova que a deste programa ({}).",
        version, kSchemaVersion));
  }
  for (int next = version + 1; next <= kSchemaVersion; ++next) {
    for (std::string_view statement : kVersions[next - 1]) {
      session << ForDialect(statement, dialect);
    }
  }
  if (version < kSchemaVersion) {
    session << "DELETE FROM VERSAOESQUEMA";
    int current = kSchemaVersion;
    session << "INSERT INTO VERSAOESQUEMA (NRVERSAO) VALUES (:versao)", soci::use(current);
  }
  transaction.Commit();
}

void InitSchema(const std::string& uri) {
  DatabaseUri parsed = ParseDatabaseUri(uri);
  soci::session session;
  Connect(session, parsed);
  try {
    MigrateSchema(session, parsed.dialect);
  } catch (const soci::soci_error& e) {
    throw DatabaseError(fmt::format("Não foi possível criar as tabelas em {}: {}", parsed.text,
                                    e.get_error_message()));
  }
}

}  // namespace server
