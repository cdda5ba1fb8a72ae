#include "importers/run_state.h"

std::string stCdBancArq;
std::string stNrContArq;
std::string stCdReduCont;
std::string stIdTipoRegi;
std::string stIdDebCred;
std::string stNrSeqMov;
std::string stCdSequExtr;
std::string stNrDocMov;
std::string stNrDocPesq;
std::string stNrContMask;
std::string stTipoConta;
std::uint16_t nrDia = 0;
std::uint16_t nrMes = 0;
std::uint16_t nrAno = 0;
host::Date dtMovimento;
double vrMovimento = 0;
std::int32_t nrDigConta = 0;
int nrDigVerif = 0;

void ClearRunState() {
  for (std::string* text : {&stCdBancArq, &stNrContArq, &stCdReduCont, &stIdTipoRegi, &stIdDebCred,
                            &stNrSeqMov, &stCdSequExtr, &stNrDocMov, &stNrDocPesq, &stNrContMask}) {
    text->clear();
  }
  vrMovimento = 0;
}
