// Every example program assembles without errors, sets the reset vector and
// keeps its variables out of the monitor's register save area.
#include "As11TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

std::vector<fs::path> examples()
{
    std::vector<fs::path> out;
    for (const auto& e : fs::directory_iterator(ZELK_EXAMPLES_DIR))
        if (e.path().extension() == ".asm")
            out.push_back(e.path());
    std::sort(out.begin(), out.end());
    return out;
}

TEST(Examples, TheExpectedProgramsExist)
{
    std::vector<std::string> names;
    for (const auto& p : examples())
        names.push_back(p.filename().string());
    for (const char* want : {"leds.asm", "delay.asm", "table.asm", "stack.asm", "muldiv.asm", "sci_echo.asm",
                            "timer_blink.asm", "adc_read.asm", "sci_irq.asm"})
        EXPECT_NE(std::find(names.begin(), names.end(), want), names.end()) << want;
}

TEST(Examples, AssembleCleanlyWithResetVector)
{
    for (const auto& path : examples()) {
        SCOPED_TRACE(path.filename().string());
        zelk::as11::AssemblyResult r = zelk::as11::assemble(as11test::readFile(path));
        EXPECT_TRUE(r.ok()) << r.errorText();
        as11test::Image img = as11test::imageOf(r);
        ASSERT_GE(img[0xFFFE], 0);
        ASSERT_GE(img[0xFFFF], 0);
        int reset = img[0xFFFE] * 256 + img[0xFFFF];
        EXPECT_GE(img[static_cast<size_t>(reset)], 0) << "reset vector points at no code";
        EXPECT_GE(reset, 0xC000);
        for (int a = 0; a <= 8; ++a)
            EXPECT_EQ(img[static_cast<size_t>(a)], -1) << "writes the register save area";
        for (const auto& e : as11test::readListing(r.listing)) {
            if (!e.label.empty() && e.value < 0x100) {
                EXPECT_GT(e.value, 8) << e.label << " lies in the register save area";
            }
        }
    }
}

} // namespace
