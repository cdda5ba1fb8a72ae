#include "server/users.h"

#include <functional>
#include <memory>

#include <gtest/gtest.h>

#include "host/soci.h"
#include "testing/test_database.h"

namespace server::testing {
namespace {

class UsersTest : public ServiceTest {
 protected:
  void SetUp() override {
    ServiceTest::SetUp();
    if (IsSkipped())
      return;
    DatabaseUri parsed = ParseDatabaseUri(uri());
    Connect(session_, parsed);
    users_ = std::make_unique<Users>(session_, parsed.dialect);
  }

  std::string Refusal(const std::function<void()>& work) {
    try {
      work();
      return "";
    } catch (const DatabaseError& e) {
      return e.what();
    }
  }

  soci::session session_;
  std::unique_ptr<Users> users_;
};
EXTRATO_ON_EVERY_DATABASE(UsersTest);

TEST_P(UsersTest, ATokenNamesItsUserAndOnlyItsHashIsStored) {
  EXPECT_FALSE(users_->Any());
  std::string token = users_->Add("ana.souza", Role::kImportar);
  EXPECT_TRUE(token.starts_with("ana.souza:")) << token;
  EXPECT_EQ(token.size(), std::string("ana.souza:").size() + 64);
  std::optional<Caller> caller = users_->Authenticate(token);
  ASSERT_TRUE(caller);
  EXPECT_EQ(caller->name, "ana.souza");
  EXPECT_EQ(caller->role, Role::kImportar);
  EXPECT_EQ(Count("SELECT COUNT(*) FROM USUARIO WHERE DSHASHTOKEN LIKE '%" +
                  token.substr(token.find(':') + 1, 16) + "%'"),
            0);

  std::string renewed = users_->NewToken("ana.souza");
  EXPECT_NE(renewed, token);
  EXPECT_FALSE(users_->Authenticate(token)) << "the old token stops working";
  EXPECT_TRUE(users_->Authenticate(renewed));

  for (const std::string& wrong :
       {std::string(""), std::string("ana.souza"), std::string("ana.souza:"),
        "outro" + renewed.substr(9), renewed + "0", renewed.substr(0, renewed.size() - 1)}) {
    EXPECT_FALSE(users_->Authenticate(wrong)) << wrong;
  }
  EXPECT_TRUE(users_->Remove("ana.souza"));
  EXPECT_FALSE(users_->Authenticate(renewed));
  EXPECT_FALSE(users_->Remove("ana.souza"));
}

TEST_P(UsersTest, ListsByNameWithRoles) {
  users_->Add("zeca", Role::kLer);
  users_->Add("ana", Role::kAdministrar);
  std::vector<UserRow> rows = users_->List();
  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].name, "ana");
  EXPECT_EQ(rows[0].role, Role::kAdministrar);
  EXPECT_EQ(rows[1].name, "zeca");
  EXPECT_EQ(rows[1].created.size(), 19u) << rows[1].created;
}

TEST_P(UsersTest, Errors) {
  users_->Add("ana", Role::kLer);
  EXPECT_EQ(Refusal([&] { users_->Add("ana", Role::kImportar); }), "O usuário ana já existe.");
  EXPECT_EQ(Refusal([&] { users_->Add("", Role::kLer); }),
            "O nome do usuário tem de 1 a 30 caracteres.");
  EXPECT_EQ(Refusal([&] { users_->Add(std::string(31, 'a'), Role::kLer); }),
            "O nome do usuário tem de 1 a 30 caracteres.");
  EXPECT_EQ(Refusal([&] { users_->Add("joão", Role::kLer); }),
            "Nome de usuário inválido: 'joão'. Use letras sem acento, algarismos, '.', '_' ou "
            "'-'.");
  EXPECT_EQ(Refusal([&] { users_->Add("a:b", Role::kLer); }),
            "Nome de usuário inválido: 'a:b'. Use letras sem acento, algarismos, '.', '_' ou "
            "'-'.");
  EXPECT_EQ(Refusal([&] { users_->NewToken("zeca"); }), "O usuário zeca não existe.");
}

TEST(RolesTest, EachMethodNeedsItsRole) {
  const std::pair<const char*, Role> methods[] = {
      {"GetBancos", Role::kLer},
      {"GetImportacoes", Role::kLer},
      {"GetPesqLanc", Role::kLer},
      {"SetDiretorio", Role::kImportar},
      {"Set_Real_Bradesco", Role::kImportar},
      {"SetFebraban", Role::kImportar},
      {"IncluiBanco", Role::kAdministrar},
      {"SetLayout", Role::kAdministrar},
      {"DesfazImportacao", Role::kAdministrar},
  };
  for (const auto& [method, role] : methods)
    EXPECT_EQ(RequiredRole(method), role) << method;
  for (Role role : {Role::kLer, Role::kImportar, Role::kAdministrar})
    EXPECT_EQ(ParseRole(RoleName(role)), role);
  EXPECT_EQ(ParseRole("Ler"), std::nullopt);
}

}  // namespace
}  // namespace server::testing
