// Function-table positions of the public interfaces: hosts call by position, so a moved entry
// breaks every host silently.
#include <gtest/gtest.h>

#include <cstring>

#include "kpx/kpxhtml2xml.h"

namespace {

// The table position of a virtual member function (Itanium C++ ABI: the pointer to member holds
// the byte offset into the table plus one).
template <class F>
long PositionOf(F member) {
  static_assert(sizeof(F) == 2 * sizeof(void*));
  uintptr_t raw[2];
  std::memcpy(raw, &member, sizeof raw);
  EXPECT_EQ(raw[0] & 1u, 1u) << "not a virtual function";
  return static_cast<long>((raw[0] - 1) / sizeof(void*));
}

TEST(FunctionTableTest, ConverterOperationsFollowIDispatch) {
  EXPECT_EQ(PositionOf(&IXH2XConverter::QueryInterface), 0);
  EXPECT_EQ(PositionOf(&IXH2XConverter::Invoke), 6);
  EXPECT_EQ(PositionOf(&IXH2XConverter::convert), 7);
  EXPECT_EQ(PositionOf(&IXH2XConverter::getErrors), 10);
  EXPECT_EQ(PositionOf(&IXH2XConverter::performTableOperation), 17);
  EXPECT_EQ(PositionOf(&IXH2XConverter::initialize), 27);
  EXPECT_EQ(PositionOf(&IXH2XConverter::unmaskDoctype), 35);
  EXPECT_EQ(PositionOf(&IXH2XConverter::moveBodyTags), 36);
  EXPECT_EQ(PositionOf(&IComponentIDs::Add), 9);
}

TEST(FunctionTableTest, HostInterfacesKeepTheirFixedPositions) {
  struct Row {
    const char* name;
    long actual;
    long expected;
  };
  const Row rows[] = {
      {"HostApplication project", PositionOf(&HostApplication::GetProject), 7},
      {"HostApplication message window", PositionOf(&HostApplication::GetMessageWindow), 10},
      {"HostApplication options", PositionOf(&HostApplication::GetOptions), 12},
      {"HostApplication localizer", PositionOf(&HostApplication::GetLocalizer), 24},
      {"HostApplication block lookup", PositionOf(&HostApplication::LookupTemplateBlock), 126},
      {"HostOptions read", PositionOf(&HostOptions::ReadOption), 11},
      {"HostOptions write", PositionOf(&HostOptions::WriteOption), 12},
      {"HostLocalizer message", PositionOf(&HostLocalizer::GetMessage), 7},
      {"HostMessageWindow add", PositionOf(&HostMessageWindow::AddMessage), 7},
      {"HostProject get value", PositionOf(&HostProject::GetValue), 9},
      {"HostProject set value", PositionOf(&HostProject::SetValue), 10},
      {"HostProject settings", PositionOf(&HostProject::GetSettings), 62},
      {"HostProject item", PositionOf(&HostProject::GetItem), 89},
      {"HostProjectSettings value", PositionOf(&HostProjectSettings::GetValue), 9},
      {"HostProjectItem property", PositionOf(&HostProjectItem::GetProperty), 12},
      {"HostPageDocument text", PositionOf(&HostPageDocument::GetText), 73},
      {"HostPageModel project", PositionOf(&HostPageModel::GetProject), 7},
      {"HostPageModel position", PositionOf(&HostPageModel::GetPosition), 25},
      {"HostPageModel view", PositionOf(&HostPageModel::GetView), 32},
      {"HostView window", PositionOf(&HostView::GetWindow), 47},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(row.actual, row.expected);
  }
}

}  // namespace
