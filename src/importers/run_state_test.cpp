#include "importers/run_state.h"

#include <gtest/gtest.h>

namespace {

TEST(RunStateTest, ClearingEmptiesTheTextsAndTheAmountOnly) {
  for (std::string* text : {&stCdBancArq, &stNrContArq, &stCdReduCont, &stIdTipoRegi, &stIdDebCred,
                            &stNrSeqMov, &stCdSequExtr, &stNrDocMov, &stNrDocPesq, &stNrContMask}) {
    *text = "x";
  }
  stTipoConta = "L";
  vrMovimento = 12.5;
  nrDia = 7;
  nrDigConta = 8;
  nrDigVerif = 1;
  dtMovimento = host::Date(2016, 7, 7);

  ClearRunState();

  for (const std::string* text :
       {&stCdBancArq, &stNrContArq, &stCdReduCont, &stIdTipoRegi, &stIdDebCred, &stNrSeqMov,
        &stCdSequExtr, &stNrDocMov, &stNrDocPesq, &stNrContMask}) {
    EXPECT_EQ("", *text);
  }
  EXPECT_EQ(0.0, vrMovimento);
  EXPECT_EQ("L", stTipoConta);
  EXPECT_EQ(7, nrDia);
  EXPECT_EQ(8, nrDigConta);
  EXPECT_EQ(1, nrDigVerif);
  EXPECT_EQ(host::Date(2016, 7, 7), dtMovimento);
}

}  // namespace
