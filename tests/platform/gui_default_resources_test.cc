// A program that defines no resources links and finds none.
#include <gtest/gtest.h>

#include "platform/windows.h"

TEST(DefaultResources, AProgramWithoutResourcesFindsNone) {
  char buffer[8] = "x";
  EXPECT_EQ(LoadString(nullptr, 1, buffer, sizeof buffer), 0);
  EXPECT_STREQ(buffer, "");
  EXPECT_EQ(LoadMenu(nullptr, "MainMenu"), nullptr);
  EXPECT_EQ(LoadIcon(GetModuleHandle(nullptr), MAKEINTRESOURCE(1)), nullptr);
  EXPECT_EQ(DialogBoxParam(nullptr, MAKEINTRESOURCE(1), nullptr, nullptr, 0), -1);
  EXPECT_NE(LoadIcon(nullptr, IDI_APPLICATION), nullptr);
}
