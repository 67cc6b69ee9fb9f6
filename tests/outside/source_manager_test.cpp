// The source manager: listing, loading and unloading, routing, notifications and raw mode.
#include <filesystem>
#include <thread>

#include "platform/module_loader.h"
#include "tests/outside/outside_fixture.h"
#include "tests/support/temp_dir.h"

namespace {

using outside_testing::InProcess;
using outside_testing::NameOf;
using outside_testing::NamesOf;
using twain_app::TestApplication;
using SourceManagerTest = outside_testing::OutsideTest;

constexpr TW_UINT16 kNoEvent = 0xFFFF;

// MSG_PROCESSEVENT of one message; the TWMessage answered goes to *message.
TW_UINT16 ProcessEvent(TW_IDENTITY* app, TW_IDENTITY* source, MSG msg, TW_UINT16* message) {
  TW_EVENT event{&msg, kNoEvent};
  TW_UINT16 rc = DSM_Entry(app, source, DG_CONTROL, DAT_EVENT, MSG_PROCESSEVENT, &event);
  *message = event.TWMessage;
  return rc;
}

TW_UINT16 ManagerCondition() {
  TW_STATUS status{};
  DSM_Entry(nullptr, nullptr, DG_CONTROL, DAT_STATUS, MSG_GET, &status);
  return status.ConditionCode;
}

TEST_F(SourceManagerTest, ListsTheSourcesItCanDriveAndLeavesNoneLoaded) {
  TestApplication app;
  ASSERT_EQ(app.OpenManager(), TWRC_SUCCESS);
  std::vector<TW_IDENTITY> listed = app.ListSources();
  // Protocol 1.4 and a source without DG_IMAGE are left out; sorted by path, subfolders included.
  EXPECT_EQ(NamesOf(listed), (std::vector<std::string>{"Fake source", "Second fake source"}));
  for (const TW_IDENTITY& identity : listed) EXPECT_EQ(TW_UINT32{identity.Id}, 0u);
  EXPECT_EQ(twain_dsm::LoadedSourceCount(), 0u);
  for (const char* file : {"fake_source.ds", "fake_old_protocol.ds", "fake_second.ds", "fake_control_only.ds"})
    EXPECT_FALSE(InProcess(file)) << file;

  TW_IDENTITY identity{};
  EXPECT_EQ(DSM_Entry(&app.identity(), nullptr, DG_CONTROL, DAT_IDENTITY, MSG_GETDEFAULT, &identity), TWRC_SUCCESS);
  EXPECT_EQ(NameOf(identity), "Fake source");
  EXPECT_EQ(DSM_Entry(&app.identity(), nullptr, DG_CONTROL, DAT_IDENTITY, MSG_GETNEXT, &identity), TWRC_ENDOFLIST);
}

TEST_F(SourceManagerTest, ScansRegularDsFilesOnlyAndTakesASingleFileWhateverItsName) {
  namespace fs = std::filesystem;
  testing_support::TempDir dir;
  fs::create_directories(dir.File("b"));
  fs::copy_file(FAKE_SECOND_PATH, dir.File("a.ds"));
  fs::copy_file(FAKE_SOURCE_PATH, dir.File("b/deep.ds"));
  fs::copy_file(FAKE_SOURCE_PATH, dir.File("plain.so"));
  fs::create_symlink(FAKE_SOURCE_PATH, dir.File("link.ds"));
  dir.Write("notes.ds.txt", "not a module");

  twain_dsm::SetSourcePath(dir.path());
  {
    TestApplication app;
    ASSERT_EQ(app.OpenManager(), TWRC_SUCCESS);
    EXPECT_EQ(NamesOf(app.ListSources()), (std::vector<std::string>{"Second fake source", "Fake source"}));
  }
  twain_dsm::SetSourcePath(dir.File("plain.so"));
  {
    TestApplication app;
    ASSERT_EQ(app.OpenManager(), TWRC_SUCCESS);
    EXPECT_EQ(NamesOf(app.ListSources()), std::vector<std::string>{"Fake source"});
  }
  twain_dsm::SetSourcePath(dir.File("missing"));
  TestApplication app;
  ASSERT_EQ(app.OpenManager(), TWRC_SUCCESS);
  EXPECT_TRUE(app.ListSources().empty());
  EXPECT_EQ(app.OpenSource(), TWRC_FAILURE);
  EXPECT_EQ(app.ManagerCondition(), TWCC_NODS);
}

TEST_F(SourceManagerTest, EachOpenLoadsTheSourceWithAFreshIdAndEachCloseUnloadsIt) {
  TestApplication app;
  ASSERT_EQ(app.OpenManager(), TWRC_SUCCESS);
  std::vector<TW_UINT32> ids = {app.identity().Id};
  EXPECT_NE(ids[0], 0u);
  for (int round = 0; round < 3; ++round) {
    ASSERT_EQ(app.OpenSource("Second fake source"), TWRC_SUCCESS);
    EXPECT_EQ(NameOf(app.source()), "Second fake source");
    TW_UINT32 id = app.source().Id;
    EXPECT_EQ(std::count(ids.begin(), ids.end(), id), 0) << "Id " << id;
    ids.push_back(id);
    EXPECT_EQ(twain_dsm::LoadedSourceCount(), 1u);
    EXPECT_TRUE(InProcess("fake_second.ds"));
    ASSERT_EQ(app.CloseSource(), TWRC_SUCCESS);
    EXPECT_EQ(twain_dsm::LoadedSourceCount(), 0u);
    EXPECT_FALSE(InProcess("fake_second.ds"));
  }
  EXPECT_EQ(app.OpenSource("No such source"), TWRC_FAILURE);
  EXPECT_EQ(app.ManagerCondition(), TWCC_NODS);
  EXPECT_EQ(app.ManagerCondition(), TWCC_SUCCESS);
}

TEST_F(SourceManagerTest, Twain32IsTheManagerOnlyWhileAnApplicationHasItOpen) {
  EXPECT_EQ(LoadLibraryA("TWAIN_32.DLL"), nullptr);
  {
    TestApplication first;
    TestApplication second;
    ASSERT_EQ(first.OpenManager(), TWRC_SUCCESS);
    ASSERT_EQ(second.OpenManager(), TWRC_SUCCESS);
    EXPECT_NE(TW_UINT32{first.identity().Id}, TW_UINT32{second.identity().Id});
    ASSERT_EQ(first.CloseManager(), TWRC_SUCCESS);

    HMODULE twain = LoadLibraryA("TWAIN_32.DLL");
    ASSERT_NE(twain, nullptr);
    auto entry = reinterpret_cast<DSMENTRYPROC>(GetProcAddress(twain, "DSM_Entry"));
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(platform::ModuleFromAddress(reinterpret_cast<const void*>(entry)), twain);
    TW_STATUS status{};
    EXPECT_EQ(entry(&second.identity(), nullptr, DG_CONTROL, DAT_STATUS, MSG_GET, &status), TWRC_SUCCESS);
    EXPECT_TRUE(FreeLibrary(twain));
  }
  EXPECT_EQ(LoadLibraryA("TWAIN_32.DLL"), nullptr);
}

TEST_F(SourceManagerTest, RoutesOnlyToSourcesTheApplicationOpened) {
  TestApplication owner("Owner");
  TestApplication other("Other");
  ASSERT_EQ(owner.OpenManager(), TWRC_SUCCESS);
  ASSERT_EQ(other.OpenManager(), TWRC_SUCCESS);
  ASSERT_EQ(owner.OpenSource("Fake source"), TWRC_SUCCESS);
  EXPECT_EQ(owner.SourceCondition(), TWCC_SUCCESS);

  TW_STATUS status{};
  EXPECT_EQ(DSM_Entry(&other.identity(), &owner.source(), DG_CONTROL, DAT_STATUS, MSG_GET, &status), TWRC_FAILURE);
  EXPECT_EQ(other.ManagerCondition(), TWCC_BADDEST);
  TW_IDENTITY unknown = owner.source();
  unknown.Id = 0x7777;
  EXPECT_EQ(DSM_Entry(&owner.identity(), &unknown, DG_CONTROL, DAT_STATUS, MSG_GET, &status), TWRC_FAILURE);
  EXPECT_EQ(owner.ManagerCondition(), TWCC_BADDEST);
  TW_IDENTITY stranger{};
  EXPECT_EQ(DSM_Entry(&stranger, &owner.source(), DG_CONTROL, DAT_STATUS, MSG_GET, &status), TWRC_FAILURE);
  EXPECT_EQ(ManagerCondition(), TWCC_BADDEST);
  TW_UINT16 message = 0;
  EXPECT_EQ(ProcessEvent(&owner.identity(), &unknown, MSG{}, &message), TWRC_NOTDSEVENT);

  // The source takes one application: its refusal comes back and its second load goes.
  EXPECT_EQ(other.OpenSource("Fake source"), TWRC_FAILURE);
  EXPECT_EQ(twain_dsm::LoadedSourceCount(), 1u);
  EXPECT_EQ(other.OpenSource("Second fake source"), TWRC_SUCCESS);
  EXPECT_EQ(twain_dsm::LoadedSourceCount(), 2u);

  EXPECT_EQ(owner.CloseManager(), TWRC_FAILURE);
  EXPECT_EQ(owner.ManagerCondition(), TWCC_SEQERROR);
  TW_IDENTITY notOpen = other.source();
  EXPECT_EQ(DSM_Entry(&owner.identity(), nullptr, DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &notOpen), TWRC_FAILURE);
  EXPECT_EQ(owner.ManagerCondition(), TWCC_BADDEST);
  EXPECT_EQ(owner.CloseSource(), TWRC_SUCCESS);
  EXPECT_FALSE(InProcess("fake_source.ds"));
  EXPECT_EQ(owner.CloseManager(), TWRC_SUCCESS);
  EXPECT_EQ(other.CloseSource(), TWRC_SUCCESS);
}

TEST_F(SourceManagerTest, AnApplicationWithoutAWindowGetsNotificationsFromItsNextEvent) {
  TestApplication app;
  TW_IDENTITY& me = app.identity();
  ASSERT_EQ(DSM_Entry(&me, nullptr, DG_CONTROL, DAT_PARENT, MSG_OPENDSM, nullptr), TWRC_SUCCESS);
  TW_IDENTITY source{};
  ASSERT_EQ(DSM_Entry(&me, nullptr, DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &source), TWRC_SUCCESS);
  EXPECT_EQ(NameOf(source), "Fake source");
  TW_USERINTERFACE ui{0, 0, nullptr};
  ASSERT_EQ(DSM_Entry(&me, &source, DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &ui), TWRC_SUCCESS);
  EXPECT_EQ(twain_dsm::PendingNotificationCount(), 1u);

  TW_UINT16 message = 0;
  EXPECT_EQ(ProcessEvent(&me, &source, MSG{}, &message), TWRC_DSEVENT);
  EXPECT_EQ(message, MSG_XFERREADY);
  EXPECT_EQ(twain_dsm::PendingNotificationCount(), 0u);
  // Nothing queued: the source itself answers.
  EXPECT_EQ(ProcessEvent(&me, &source, MSG{}, &message), TWRC_NOTDSEVENT);
  EXPECT_EQ(message, MSG_NULL);

  // Closing the source drops what it had queued.
  TW_PENDINGXFERS pending{};
  ASSERT_EQ(DSM_Entry(&me, &source, DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending), TWRC_SUCCESS);
  ASSERT_EQ(DSM_Entry(&me, &source, DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui), TWRC_SUCCESS);
  ui.ShowUI = 1;
  ASSERT_EQ(DSM_Entry(&me, &source, DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &ui), TWRC_SUCCESS);
  EXPECT_EQ(twain_dsm::PendingNotificationCount(), 1u);
  EXPECT_EQ(DSM_Entry(&me, nullptr, DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, &source), TWRC_SUCCESS);
  EXPECT_EQ(twain_dsm::PendingNotificationCount(), 0u);
  EXPECT_EQ(DSM_Entry(&me, nullptr, DG_CONTROL, DAT_PARENT, MSG_CLOSEDSM, nullptr), TWRC_SUCCESS);
}

TEST_F(SourceManagerTest, AWindowGetsACarrierThatOnlyTheManagerAnswers) {
  TestApplication app;
  TestApplication other("Other");
  for (auto [application, source] : {std::pair{&app, "Fake source"}, std::pair{&other, "Second fake source"}}) {
    ASSERT_EQ(application->OpenManager(), TWRC_SUCCESS);
    ASSERT_EQ(application->OpenSource(source), TWRC_SUCCESS);
    ASSERT_EQ(application->Enable(false), TWRC_SUCCESS);
  }
  // Posted in the range of private window messages, one to each window.
  MSG carrier{};
  ASSERT_TRUE(PeekMessageA(&carrier, app.window(), WM_APP, 0xBFFF, PM_REMOVE));
  MSG second{};
  EXPECT_FALSE(PeekMessageA(&second, app.window(), WM_APP, 0xBFFF, PM_NOREMOVE));
  MSG othersCarrier{};
  ASSERT_TRUE(PeekMessageA(&othersCarrier, other.window(), WM_APP, 0xBFFF, PM_REMOVE));

  TW_UINT16 message = 0;
  // With a window, only its own carrier delivers.
  EXPECT_EQ(ProcessEvent(&app.identity(), &app.source(), MSG{app.window(), WM_NULL, 0, 0, 0, {}}, &message),
            TWRC_NOTDSEVENT);
  EXPECT_EQ(ProcessEvent(&app.identity(), &app.source(), othersCarrier, &message), TWRC_NOTDSEVENT);
  EXPECT_EQ(twain_dsm::PendingNotificationCount(), 2u);
  EXPECT_EQ(ProcessEvent(&other.identity(), &other.source(), othersCarrier, &message), TWRC_DSEVENT);
  EXPECT_EQ(message, MSG_XFERREADY);
  EXPECT_EQ(ProcessEvent(&app.identity(), &app.source(), carrier, &message), TWRC_DSEVENT);
  EXPECT_EQ(message, MSG_XFERREADY);
  EXPECT_EQ(ProcessEvent(&app.identity(), &app.source(), carrier, &message), TWRC_DSEVENT);
  EXPECT_EQ(message, MSG_NULL);
  for (TestApplication* application : {&app, &other}) {
    EXPECT_EQ(application->EndTransfer(), TWRC_SUCCESS);
    EXPECT_EQ(application->Disable(), TWRC_SUCCESS);
  }
}

TEST_F(SourceManagerTest, ACarrierIsAnsweredOnlyForTheSourceThatSentIt) {
  // One application, two sources, one window: the application offers each message
  // to its sources in turn, and the carrier waits for the one it names.
  TestApplication app;
  ASSERT_EQ(app.OpenManager(), TWRC_SUCCESS);
  TW_IDENTITY& me = app.identity();
  TW_IDENTITY first{};
  TW_IDENTITY second{};
  std::strcpy(first.ProductName, "Fake source");
  std::strcpy(second.ProductName, "Second fake source");
  ASSERT_EQ(DSM_Entry(&me, nullptr, DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &first), TWRC_SUCCESS);
  ASSERT_EQ(DSM_Entry(&me, nullptr, DG_CONTROL, DAT_IDENTITY, MSG_OPENDS, &second), TWRC_SUCCESS);
  TW_USERINTERFACE ui{0, 0, app.window()};
  ASSERT_EQ(DSM_Entry(&me, &first, DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &ui), TWRC_SUCCESS);
  MSG carrier{};
  ASSERT_TRUE(PeekMessageA(&carrier, app.window(), WM_APP, 0xBFFF, PM_REMOVE));

  TW_UINT16 message = 0;
  EXPECT_EQ(ProcessEvent(&me, &second, carrier, &message), TWRC_NOTDSEVENT);
  EXPECT_EQ(twain_dsm::PendingNotificationCount(), 1u);
  EXPECT_EQ(ProcessEvent(&me, &first, carrier, &message), TWRC_DSEVENT);
  EXPECT_EQ(message, MSG_XFERREADY);

  TW_PENDINGXFERS pending{};
  EXPECT_EQ(DSM_Entry(&me, &first, DG_CONTROL, DAT_PENDINGXFERS, MSG_ENDXFER, &pending), TWRC_SUCCESS);
  EXPECT_EQ(DSM_Entry(&me, &first, DG_CONTROL, DAT_USERINTERFACE, MSG_DISABLEDS, &ui), TWRC_SUCCESS);
  for (TW_IDENTITY* source : {&first, &second})
    EXPECT_EQ(DSM_Entry(&me, nullptr, DG_CONTROL, DAT_IDENTITY, MSG_CLOSEDS, source), TWRC_SUCCESS);
}

TEST_F(SourceManagerTest, ASourceThreadNotifiesOnlyItsOwnApplication) {
  TestApplication app;
  TestApplication other("Other");
  ASSERT_EQ(app.OpenManager(), TWRC_SUCCESS);
  ASSERT_EQ(other.OpenManager(), TWRC_SUCCESS);
  ASSERT_EQ(app.OpenSource(), TWRC_SUCCESS);
  TW_UINT16 toOther = TWRC_SUCCESS;
  std::thread source([&] {
    toOther = DSM_Entry(&app.source(), &other.identity(), DG_CONTROL, DAT_NULL, MSG_CLOSEDSREQ, nullptr);
    DSM_Entry(&app.source(), &app.identity(), DG_CONTROL, DAT_NULL, MSG_CLOSEDSREQ, nullptr);
  });
  EXPECT_TRUE(app.WaitForNotification(MSG_CLOSEDSREQ, 5000));
  source.join();
  EXPECT_EQ(toOther, TWRC_FAILURE);
  EXPECT_EQ(app.notifications(), std::vector<TW_UINT16>{MSG_CLOSEDSREQ});
}

TEST_F(SourceManagerTest, RawModeReachesAListedSourceBeforeItIsOpenedFromAnyOrigin) {
  TestApplication app;
  ASSERT_EQ(app.OpenManager(), TWRC_SUCCESS);
  TW_IDENTITY dest = app.ListSources().at(0);
  TW_USERINTERFACE ui{0, 0, nullptr};
  EXPECT_EQ(DSM_Entry(nullptr, &dest, DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &ui), TWRC_FAILURE);
  EXPECT_EQ(ManagerCondition(), TWCC_BADDEST);

  twain_dsm::SetRawMode(true);
  // The closed source refuses, and says why.
  EXPECT_EQ(DSM_Entry(nullptr, &dest, DG_CONTROL, DAT_USERINTERFACE, MSG_ENABLEDS, &ui), TWRC_FAILURE);
  TW_STATUS status{};
  EXPECT_EQ(DSM_Entry(nullptr, &dest, DG_CONTROL, DAT_STATUS, MSG_GET, &status), TWRC_SUCCESS);
  EXPECT_EQ(+status.ConditionCode, TWCC_SEQERROR);
  EXPECT_EQ(twain_dsm::LoadedSourceCount(), 1u);

  void* module = ::dlopen(FAKE_SOURCE_PATH, RTLD_NOW | RTLD_NOLOAD);
  ASSERT_NE(module, nullptr);
  auto lastOrigin = reinterpret_cast<const TW_IDENTITY* (*)()>(::dlsym(module, "FakeSourceLastOrigin"));
  ASSERT_NE(lastOrigin, nullptr);
  EXPECT_EQ(lastOrigin(), nullptr);
  TW_IDENTITY anyone{};
  DSM_Entry(&anyone, &dest, DG_CONTROL, DAT_STATUS, MSG_GET, &status);
  EXPECT_EQ(lastOrigin(), &anyone);

  // Opened normally, it is found by its Id too; raw mode keeps its own load until switched off.
  ASSERT_EQ(app.OpenSource("Fake source"), TWRC_SUCCESS);
  EXPECT_EQ(twain_dsm::LoadedSourceCount(), 1u);
  // Its own application's triplets take the normal road, notifications included.
  ASSERT_EQ(app.Enable(false), TWRC_SUCCESS);
  EXPECT_TRUE(app.WaitForNotification(MSG_XFERREADY, 2000));
  EXPECT_EQ(app.EndTransfer(), TWRC_SUCCESS);
  EXPECT_EQ(app.Disable(), TWRC_SUCCESS);
  DSM_Entry(nullptr, &app.source(), DG_CONTROL, DAT_STATUS, MSG_GET, &status);
  EXPECT_EQ(lastOrigin(), nullptr);
  ASSERT_EQ(app.CloseSource(), TWRC_SUCCESS);
  ::dlclose(module);
  EXPECT_TRUE(InProcess("fake_source.ds"));
  twain_dsm::SetRawMode(false);
  EXPECT_FALSE(InProcess("fake_source.ds"));
}

}  // namespace
