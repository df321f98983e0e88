// Messages that the converter gates by its verbosity level: profile diagnostics and the rest.
#include <gtest/gtest.h>

#include "server/profile_diagnostics_sink.h"
#include "support/fake_host.h"

namespace {

using kpx::ConverterContext;
using kpx::ProfileDiagnosticsSink;
using kpx::testing::FakeApplication;
using kpx::testing::HostRecord;

TEST(ProfileDiagnosticsTest, PrefixAndVerbosityGate) {
  struct Row {
    const char* name;
    LONG level;
    bool is_error;
    bool delivered;
  };
  const Row rows[] = {
      {"error at 0", 0, true, false},
      {"error at 1", 1, true, true},
      {"warning at 1", 1, false, false},
      {"warning at 2", 2, false, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    HostRecord host;
    ComPtr<FakeApplication> app = kpx::MakeCom<FakeApplication>(&host);
    ConverterContext context;
    context.application = app.Get();
    context.verbosity_level = row.level;
    ProfileDiagnosticsSink forward(context, kpx::kForwardProfilePrefix);
    forward.Report(row.is_error, nullptr, u"unknown element \"rulez\"");
    ASSERT_EQ(host.messages.size(), row.delivered ? 1u : 0u);
    if (row.delivered) {
      EXPECT_EQ(host.messages[0].first, row.is_error ? MessageError : MessageWarning);
      EXPECT_EQ(host.messages[0].second,
                u"Converter profile loading error: unknown element \"rulez\"");
    }
  }
}

TEST(ProfileDiagnosticsTest, LongMessagesAreBounded) {
  HostRecord host;
  ComPtr<FakeApplication> app = kpx::MakeCom<FakeApplication>(&host);
  ConverterContext context;
  context.application = app.Get();
  context.verbosity_level = 3;
  ProfileDiagnosticsSink reverse(context, kpx::kReverseProfilePrefix);
  reverse.Report(true, nullptr, std::u16string(5000, u'x'));
  ASSERT_EQ(host.messages.size(), 1u);
  EXPECT_EQ(host.messages[0].second.size(), kpx::kReverseProfilePrefix.size() + 255);
}

TEST(VerbosityTest, KindsNeedTheirLevel) {
  struct Row {
    LONG level;
    size_t delivered;  // of one error, one warning, one info
  };
  const Row rows[] = {{0, 0}, {1, 1}, {2, 2}, {3, 3}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.level);
    HostRecord host;
    ComPtr<FakeApplication> app = kpx::MakeCom<FakeApplication>(&host);
    ConverterContext context;
    context.application = app.Get();
    context.verbosity_level = row.level;
    context.ReportGated(MessageError, u"e");
    context.ReportGated(MessageWarning, u"w");
    context.ReportGated(MessageInfo, u"i");
    EXPECT_EQ(host.messages.size(), row.delivered);
  }
}

}  // namespace
