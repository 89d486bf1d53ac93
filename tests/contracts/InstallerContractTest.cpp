// The installer port as the repair uses it, held against the fake and the installer library
// driving the Access stand-in.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "ContractWorld.h"
#include "OdbcInstallerLibrary.h"
#include "OdbcTestEnvironment.h"
#include "repair/RepairLog.h"
#include "support/fakes/FakeInstaller.h"

namespace brivanto::testing {
namespace {

// ODBC_ERROR_REQUEST_FAILED: the driver's setup refused the request.
constexpr std::int32_t kRequestFailed = 11;

class InstallerWorld {
 public:
  virtual ~InstallerWorld() = default;
  virtual ports::OdbcInstaller& Installer() = 0;
  // A database the next repair request succeeds on, or one it fails on.
  virtual std::string Database(bool repairable) = 0;
};

class FakeWorld : public InstallerWorld {
 public:
  ports::OdbcInstaller& Installer() override { return installer_; }
  std::string Database(bool repairable) override {
    installer_.succeeds = repairable;
    return repairable ? "/data/good.mdb" : "/data/missing.mdb";
  }

 private:
  FakeInstaller installer_;
};

class OdbcWorld : public InstallerWorld {
 public:
  ports::OdbcInstaller& Installer() override { return installer_; }
  std::string Database(bool repairable) override {
    if (!repairable) {
      return (environment_.WorkDirectory() / "missing.mdb").string();
    }
    return environment_
        .CreateSettingsDatabase(OdbcTestEnvironment::UniqueName("good") + ".mdb",
                                {{"License", "LoggedOn1", "PC-07 jan"}})
        .string();
  }

 private:
  OdbcTestEnvironment environment_;  // first: the private ODBC configuration
  odbc::OdbcInstallerLibrary installer_;
};

class InstallerContract : public ::testing::TestWithParam<WorldMaker<InstallerWorld>> {
 protected:
  void SetUp() override {
    if (GetParam().name == "Odbc" && !OdbcTestEnvironment::AccessStandInBuilt()) {
      GTEST_FAIL() << "the Access stand-in driver (brivanto-access-odbc) is not built";
    }
    world = GetParam().make();
  }
  bool Repair(bool repairable) {
    // The request that repairs and answers TRUE whatever the driver makes of the other one.
    return world->Installer().ConfigDataSource(
        0, repair::kAddDataSourceRequest, std::string(repair::kRepairDriver),
        repair::RepairAttributes(world->Database(repairable)));
  }
  std::unique_ptr<InstallerWorld> world;
};

TEST_P(InstallerContract, AnErrorIsOnlyReportedAfterAFailedRequest) {
  ASSERT_TRUE(Repair(true));
  EXPECT_EQ(world->Installer().LastError().code, 0);
  EXPECT_EQ(world->Installer().LastError().message, "");

  ASSERT_FALSE(Repair(false));
  const auto error = world->Installer().LastError();
  EXPECT_EQ(error.code, kRequestFailed);
  EXPECT_FALSE(error.message.empty());

  ASSERT_TRUE(Repair(true));
  EXPECT_EQ(world->Installer().LastError().code, 0);
  EXPECT_EQ(world->Installer().LastError().message, "");
}

INSTANTIATE_TEST_SUITE_P(
    Adapters, InstallerContract,
    ::testing::Values(
        WorldMaker<InstallerWorld>{"Fake", [] { return std::make_unique<FakeWorld>(); }},
        WorldMaker<InstallerWorld>{"Odbc", [] { return std::make_unique<OdbcWorld>(); }}),
    WorldName<InstallerWorld>);

}  // namespace
}  // namespace brivanto::testing
