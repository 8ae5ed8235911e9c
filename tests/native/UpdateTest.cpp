// The update protocol's client side: URLs, replies, versions, packages.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <thread>
#include <string>
#include <vector>

#include "files/SetupRules.h"
#include "update/HttpRules.h"
#include "update/UpdateJob.h"
#include "update/UpdateRules.h"

namespace k3 {
namespace {

std::vector<std::uint8_t> Bytes(const std::string& s) { return std::vector<std::uint8_t>(s.begin(), s.end()); }

int Check(const std::string& reply, Version installed) {
  const auto b = Bytes(reply);
  Version v;
  if (!ParseServiceVersion(b.data(), b.size(), v)) return -1;
  return CompareForUpdate(v, installed);
}

TEST(UpdateRules, QueryStringsInTheirFieldOrders) {
  EXPECT_EQ(UpdateUrl(L"h.example", UpdateProduct(true), UpdateAction::GetVersion),
            L"http://h.example/versioninfo.php?product=k3driftlet&action=getversion&hddmode=0");
  EXPECT_EQ(UpdateUrl(L"h.example", UpdateProduct(false), UpdateAction::GetFileLength),
            L"http://h.example/versioninfo.php?product=k3driftlet_e&hddmode=0&action=getfilelen");
  EXPECT_EQ(UpdateUrl(L"h.example", UpdateProduct(false), UpdateAction::GetFile),
            L"http://h.example/versioninfo.php?product=k3driftlet_e&hddmode=0&action=getfile");
}

TEST(UpdateRules, ServiceVersionAgainstTheInstalledOne) {
  const Version installed = VersionFromWords(0x00010001, 0x00060000);  // 1.1.6.0
  EXPECT_EQ(installed.build, 6);
  EXPECT_EQ(Check("01010600", installed), 0);
  EXPECT_EQ(Check("01010601", installed), 1);
  EXPECT_EQ(Check("01020000", installed), 1);
  EXPECT_EQ(Check("01000900", installed), 0);
  EXPECT_EQ(Check("0101060", installed), -1) << "7 characters";
  EXPECT_EQ(Check("010106000", installed), -1) << "9 characters";
  EXPECT_EQ(Check("", installed), -1);
  Version v;
  const auto upper = Bytes("0A0b0cFF");
  ASSERT_TRUE(ParseServiceVersion(upper.data(), upper.size(), v));
  EXPECT_EQ(v.major, 10);
  EXPECT_EQ(v.minor, 11);
  EXPECT_EQ(v.revision, 255);
  // A pair stops at its first non-digit, as strtol does.
  const auto odd = Bytes("0x1G<>99");
  ASSERT_TRUE(ParseServiceVersion(odd.data(), odd.size(), v));
  EXPECT_EQ(v.major, 0);
  EXPECT_EQ(v.minor, 1);
  EXPECT_EQ(v.build, 0);
  EXPECT_EQ(v.revision, 0x99);
}

TEST(UpdateRules, AnnouncedLengthAndWhatMayBeWritten) {
  auto length = [](const std::string& s) {
    const auto b = Bytes(s);
    return ParseAnnouncedLength(b.data(), b.size());
  };
  EXPECT_EQ(length("765952"), 765952);
  EXPECT_EQ(length("  42\r\n"), 42);
  EXPECT_EQ(length("+7x"), 7);
  EXPECT_EQ(length("<html>"), 0);
  EXPECT_EQ(length("-5"), -5);
  EXPECT_EQ(length("99999999999"), 0x7FFFFFFF);
  EXPECT_EQ(length("-2147483648"), -2147483647L - 1) << "the lowest 32-bit long";
  EXPECT_EQ(length("-99999999999"), -2147483647L - 1);

  std::vector<std::uint8_t> msi = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1, 1, 2, 3, 4};
  EXPECT_TRUE(IsCompleteSetupPackage(msi.data(), msi.size(), 12));
  EXPECT_FALSE(IsCompleteSetupPackage(msi.data(), msi.size(), 13)) << "shorter than announced";
  EXPECT_FALSE(IsCompleteSetupPackage(msi.data(), msi.size(), 11)) << "longer than announced";
  EXPECT_FALSE(IsCompleteSetupPackage(msi.data(), msi.size(), 0));
  const auto page = Bytes("<html>not found</html>");
  EXPECT_FALSE(IsCompleteSetupPackage(page.data(), page.size(), static_cast<long>(page.size()))) << "an error page";
  EXPECT_FALSE(IsCompleteSetupPackage(nullptr, 0, 0));
}

}  // namespace
}  // namespace k3

namespace k3 {
namespace {

TEST(FetchLimits, RepliesPackagesAndSignaturesHaveCeilingsInBytesAndTime) {
  EXPECT_LE(ReplyLimits().maxBytes, 64u) << "a version or length reply is a few dozen bytes";
  EXPECT_GE(ReplyLimits().maxBytes, 10u);
  EXPECT_EQ(SignatureLimits().maxBytes, kMaxSignatureBytes);

  const auto package = PackageLimits(800 * 1024);
  ASSERT_TRUE(package);
  EXPECT_EQ(package->maxBytes, 800u * 1024) << "the announced length and not a byte more";
  EXPECT_EQ(package->maxMs, 60000u + 50 * 1000);
  EXPECT_FALSE(PackageLimits(0));
  EXPECT_FALSE(PackageLimits(-5));
  EXPECT_TRUE(PackageLimits(static_cast<long>(kMaxPackageBytes)));
  EXPECT_FALSE(PackageLimits(static_cast<long>(kMaxPackageBytes) + 1)) << "over 256 MiB";
  // The largest package still has a time ceiling that fits its type.
  EXPECT_GT(PackageLimits(static_cast<long>(kMaxPackageBytes))->maxMs, 60000u);
}

TEST(FetchLimits, NoWaitGoesBeyondTheRequestsTime) {
  EXPECT_EQ(NextWaitMs(0, 30000, 20000), 20000u) << "the usual time-out while there is time";
  EXPECT_EQ(NextWaitMs(15000, 30000, 20000), 15000u) << "what is left";
  EXPECT_EQ(NextWaitMs(29999, 30000, 20000), 1u);
  EXPECT_EQ(NextWaitMs(30000, 30000, 20000), 0u) << "over";
  EXPECT_EQ(NextWaitMs(1ull << 40, 30000, 20000), 0u);
}

TEST(FetchLimits, BytesWithinTheCeiling) {
  EXPECT_TRUE(FitsCeiling(0, 64, 64));
  EXPECT_FALSE(FitsCeiling(0, 65, 64));
  EXPECT_TRUE(FitsCeiling(60, 4, 64));
  EXPECT_FALSE(FitsCeiling(60, 5, 64));
  EXPECT_FALSE(FitsCeiling(65, 0, 64));
  EXPECT_FALSE(FitsCeiling(10, SIZE_MAX, 64)) << "no wrap-around";
  EXPECT_TRUE(FitsCeiling(0, 0, 0));
}

TEST(UpdateRules, SignatureQueryAndPackedVersions) {
  EXPECT_EQ(UpdateUrl(L"h.example", UpdateProduct(false), UpdateAction::GetSignature),
            L"http://h.example/versioninfo.php?product=k3driftlet_e&hddmode=0&action=getsig");
  EXPECT_EQ(PackedVersion(Version{1, 1, 7, 0}), PackVersion(L"1.1.7.0"));
  EXPECT_LT(PackedVersion(Version{1, 1, 6, 65535}), PackedVersion(Version{1, 1, 7, 0}));
}

// The interface thread's side of a job: pumps whenever it was told, until
// `done` or a few seconds.
template <class Done>
UpdateJob::Report PumpUntil(UpdateJob& job, std::atomic<int>& told, Done done) {
  UpdateJob::Report last;
  for (int i = 0; i < 5000 && !done(last); ++i) {
    if (told.exchange(0) > 0) {
      UpdateJob::Report r = job.Pump();
      if (r.progress) last.progress = r.progress;
      if (r.outcome) last.outcome = std::move(r.outcome);
    } else {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }
  return last;
}

TEST(UpdateJob, ReportsProgressAsksTheInterfaceThreadAndHandsOutItsOutcomeOnce) {
  std::atomic<int> told{0};
  UpdateJob job([&] { return ++told > 0; });
  std::atomic<bool> answered{false};
  std::thread::id asker;
  ASSERT_TRUE(job.Start([&](UpdateJob::Context& c) {
    c.Report({100, 40});
    answered = c.AskInterface([&] {
      asker = std::this_thread::get_id();
      return true;
    });
    c.Report({100, 100});
    UpdateOutcome o;
    o.step = UpdateOutcome::Step::Downloaded;
    return o;
  }));
  EXPECT_FALSE(job.Start([](UpdateJob::Context&) { return UpdateOutcome{}; })) << "one job at a time";
  EXPECT_TRUE(job.Running());
  const auto r = PumpUntil(job, told, [](const UpdateJob::Report& r) { return r.outcome.has_value(); });
  ASSERT_TRUE(r.outcome);
  EXPECT_EQ(r.outcome->step, UpdateOutcome::Step::Downloaded);
  ASSERT_TRUE(r.progress);
  EXPECT_EQ(r.progress->doneKiB, 100) << "the newest progress";
  EXPECT_TRUE(answered);
  EXPECT_EQ(asker, std::this_thread::get_id()) << "the question ran on the pumping thread";
  EXPECT_FALSE(job.Running());
  EXPECT_FALSE(job.Pump().outcome) << "handed out once";
  // Work that throws ends as a failed check; the next job may start.
  ASSERT_TRUE(job.Start([](UpdateJob::Context&) -> UpdateOutcome { throw 1; }));
  const auto failed = PumpUntil(job, told, [](const UpdateJob::Report& r) { return r.outcome.has_value(); });
  ASSERT_TRUE(failed.outcome);
  EXPECT_EQ(failed.outcome->step, UpdateOutcome::Step::CheckFailed);
}

TEST(UpdateJob, StopEndsWorkThatWaitsOrAsksAndHandsOutNothing) {
  std::atomic<int> told{0};
  // Work that waits on something only its cut ends (a connection), and
  // work that waits for an answer nobody gives.
  for (bool asks : {false, true}) {
    SCOPED_TRACE(asks);
    auto job = std::make_unique<UpdateJob>([&] { return ++told > 0; });
    std::atomic<bool> cut{false}, started{false}, answer{true};
    ASSERT_TRUE(job->Start([&](UpdateJob::Context& c) {
      c.OnStop([&] { cut = true; });
      started = true;
      if (asks) {
        answer = c.AskInterface([] { return true; });
      } else {
        while (!cut) std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
      c.OnStop(nullptr);
      EXPECT_TRUE(c.Stopping());
      c.Report({1, 1});
      return UpdateOutcome{};
    }));
    while (!started) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    const auto before = std::chrono::steady_clock::now();
    job->Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(2));
    EXPECT_FALSE(job->Running());
    if (asks) {
      EXPECT_FALSE(answer) << "a question waiting is answered no";
    } else {
      EXPECT_TRUE(cut) << "the cut ended the wait";
    }
    const UpdateJob::Report r = job->Pump();
    EXPECT_FALSE(r.outcome);
    EXPECT_FALSE(r.progress) << "nothing reported after the stop";
    job.reset();  // the program closes: nothing waits any more
  }
}

}  // namespace
}  // namespace k3
