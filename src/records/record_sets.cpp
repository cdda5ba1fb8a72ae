#include "records/record_sets.h"

namespace records {

namespace {
using host::FieldType;
constexpr FieldType kText = FieldType::kText;
constexpr FieldType kDate = FieldType::kDate;
constexpr FieldType kFloat = FieldType::kFloat;
}  // namespace

std::vector<host::FieldDef> ExtrBancoFields() {
  return {{"CDREDUCONT", kText, 3}, {"CDSEQUEXTR", kText, 10}, {"DTSALDINIC", kDate, 0},
          {"DTSALDFIN", kDate, 0},  {"VRSALDINIC", kFloat, 0}, {"VRSALDFIM", kFloat, 0},
          {"IDEXTRINI", kText, 1},  {"IDEXTRFIM", kText, 1}};
}

std::vector<host::FieldDef> MovRealFields() {
  return {{"CDREDUCONT", kText, 3},    {"CDSEQUEXTR", kText, 10},    {"NRSEQMOVREAL", kText, 10},
          {"NRDOCMOVREAL", kText, 20}, {"DTMOVREAL", kDate, 0},      {"VRMOVREAL", kFloat, 0},
          {"IDMOVREAL", kText, 1},     {"DSHISTMOVREAL", kText, 40}, {"IDTIPOREGI", kText, 2},
          {"CDCATELANC", kText, 4},    {"IDSTCONMVBAN", kText, 1},   {"IDTPMOVREAL", kText, 1}};
}

std::vector<host::FieldDef> MaskContFields() {
  return {{"CDBANCO", kText, 3}, {"CDBANCCNAB", kText, 3}, {"CDPICTCONT", kText, 20}};
}

std::vector<host::FieldDef> ContCorrFields() {
  return {{"CDREDUCONT", kText, 3}};
}

std::vector<host::FieldDef> PesqLancFields() {
  return {{"CDREDUCONT", kText, 3},
          {"DTMOVREAL", kDate, 0},
          {"NRDOCMOVREAL", kText, 20},
          {"VRMOVREAL", kFloat, 0}};
}

std::vector<host::FieldDef> SequenciaFields() {
  return {{"NRSEQMOV", kText, 10}};
}

std::vector<host::FieldDef> DiretorioFields() {
  return {{"CDPROGRAMA", kText, 8}, {"DSDIRETORIO", kText, 100}};
}

}  // namespace records
