#include "importers/run_state.h"

namespace importers {

void RunState::Clear() {
  for (std::string* text : {&stCdBancArq, &stNrContArq, &stCdReduCont, &stIdTipoRegi, &stIdDebCred,
                            &stNrSeqMov, &stCdSequExtr, &stNrDocMov, &stNrDocPesq, &stNrContMask}) {
    text->clear();
  }
  vrMovimento = 0;
}

}  // namespace importers
