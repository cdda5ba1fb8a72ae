#include "importers/run_state.h"

#include <gtest/gtest.h>

namespace importers {
namespace {

TEST(RunStateTest, ClearingEmptiesTheTextsAndTheAmountOnly) {
  RunState state;
  for (std::string* text :
       {&state.stCdBancArq, &state.stNrContArq, &state.stCdReduCont, &state.stIdTipoRegi,
        &state.stIdDebCred, &state.stNrSeqMov, &state.stCdSequExtr, &state.stNrDocMov,
        &state.stNrDocPesq, &state.stNrContMask}) {
    *text = "x";
  }
  state.stTipoConta = "L";
  state.vrMovimento = 12.5;
  state.nrDia = 7;
  state.nrDigConta = 8;
  state.nrDigVerif = 1;
  state.dtMovimento = host::Date(2016, 7, 7);

  state.Clear();

  for (const std::string* text :
       {&state.stCdBancArq, &state.stNrContArq, &state.stCdReduCont, &state.stIdTipoRegi,
        &state.stIdDebCred, &state.stNrSeqMov, &state.stCdSequExtr, &state.stNrDocMov,
        &state.stNrDocPesq, &state.stNrContMask}) {
    EXPECT_EQ("", *text);
  }
  EXPECT_EQ(0.0, state.vrMovimento);
  EXPECT_EQ("L", state.stTipoConta);
  EXPECT_EQ(7, state.nrDia);
  EXPECT_EQ(8, state.nrDigConta);
  EXPECT_EQ(1, state.nrDigVerif);
  EXPECT_EQ(host::Date(2016, 7, 7), state.dtMovimento);
}

}  // namespace
}  // namespace importers
