#include "Extended.h"
#include <gtest/gtest.h>
TEST(Extended, Placeholder) { EXPECT_EQ(sizeof(vorida::Extended), 16u); }
