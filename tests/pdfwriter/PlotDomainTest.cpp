// Plot domains: conversions, nice ranges, mesh, fills, axes and calendar arithmetic.
#include <gtest/gtest.h>

#include "OpdfTestSupport.h"

using namespace opdftest;

namespace {

class Domains : public ::testing::Test {
protected:
    void SetUp() override
    {
        ctx = opdf_open(0, nullptr);
        collectReports(ctx, &reports);
        ASSERT_EQ(0, opdf_init(ctx));
        ASSERT_EQ(0, opdf_pageInit(ctx, 1, 0, "0 0 595 842", "0 0 595 842"));
    }
    void TearDown() override
    {
        opdf_close(ctx);
        for (auto* d : owned)
            opdf_free(d);
    }
    PDFPlotDomain* use(PDFPlotDomain* d)
    {
        owned.push_back(d);
        opdf_setPlotDomain(ctx, d);
        return d;
    }
    std::string take()
    {
        std::string s = currentContent(ctx);
        _opdf_resetMemoryStream(ctx->content);
        return s;
    }

    PDFDocContext* ctx = nullptr;
    std::vector<Reported> reports;
    std::vector<PDFPlotDomain*> owned;
};

TEST_F(Domains, ConversionsBothWays)
{
    const struct {
        float x0, y0, w, h, xmin, xmax, ymin, ymax;
        int xKind, yKind;
        float x, y, px, py;
    } cases[] = {
        {100, 100, 400, 300, 0, 10, 0, 100, 0, 0, 5, 50, 300, 250},
        {100, 100, 300, 300, 1, 1000, 0, 1, 1, 0, 10, 0.5f, 200, 250},
        {0, 0, 300, 200, 1, 1000, 1, 100, 1, 1, 1000, 10, 300, 100},
        {50, 0, 100, 100, -10, 10, 10, -10, 0, 0, 0, 5, 100, 25},
    };
    for (const auto& c : cases) {
        use(opdf_createPlotDomain(c.x0, c.y0, c.w, c.h, c.xmin, c.xmax, c.ymin, c.ymax, c.xKind,
                                  c.yKind, 0));
        EXPECT_NEAR(c.px, opdf_domainToPageX(ctx, c.x), 1e-3);
        EXPECT_NEAR(c.py, opdf_domainToPageY(ctx, c.y), 1e-3);
        EXPECT_NEAR(c.x, opdf_pageToDomainX(ctx, c.px), 1e-3 * std::max(1.f, c.x));
        EXPECT_NEAR(c.y, opdf_pageToDomainY(ctx, c.py), 1e-3 * std::max(1.f, c.y));
    }
    // A logarithmic axis puts values <= 0 at its origin.
    use(opdf_createPlotDomain(100, 0, 300, 10, 1, 1000, 0, 1, 1, 0, 0));
    EXPECT_FLOAT_EQ(100, opdf_domainToPageX(ctx, 0));
    EXPECT_FLOAT_EQ(100, opdf_domainToPageX(ctx, -5));
    EXPECT_TRUE(reports.empty());
}

TEST_F(Domains, DefaultPageDomainUsesUnitsOfSeventyTwoPoints)
{
    EXPECT_NEAR(8.264f, ctx->domain->xmax, 1e-3);
    EXPECT_NEAR(11.694f, ctx->domain->ymax, 1e-3);
    EXPECT_FLOAT_EQ(144, opdf_domainToPageX(ctx, 2));
    opdf_moveto(ctx, 1, 1);
    opdf_rlineto(ctx, 1, 0.5f);
    EXPECT_EQ("72.000 72.000 m\n144.000 108.000 l\n", take());
}

TEST_F(Domains, DegenerateRangesGiveZeroAndAReport)
{
    const struct {
        float xmin, xmax;
        int kind;
    } cases[] = {{5, 5, 0}, {0, 100, 1}, {-1, 100, 1}, {10, 10, 1}};
    for (const auto& c : cases) {
        reports.clear();
        use(opdf_createPlotDomain(10, 10, 100, 100, c.xmin, c.xmax, 0, 1, c.kind, 0, 0));
        float v = opdf_domainToPageX(ctx, 50);
        EXPECT_EQ(0, v) << c.xmin << ".." << c.xmax << " kind " << c.kind;
        ASSERT_EQ(1u, reports.size());
        EXPECT_EQ(2, reports[0].level);
        opdf_lineto(ctx, 50, 0.5f);
        EXPECT_EQ("0.000 60.000 l\n", take());
    }
    // Mesh lines and axes of such domains never print inf or nan.
    PDFPlotDomain* d = use(opdf_createPlotDomain(10, 10, 100, 100, 0, 100, 3, 3, 1, 0, 0));
    opdf_drawMesh(d);
    PDFAxis* a = opdf_createAxis(0, 100, 0, 4, 4);
    opdf_attachAxis(a, d, 0, 0);
    opdf_drawAxis(a);
    opdf_freeAxis(a);
    std::string s = take();
    EXPECT_EQ(std::string::npos, s.find("inf")) << s;
    EXPECT_EQ(std::string::npos, s.find("nan")) << s;
    EXPECT_FALSE(reports.empty());
}

TEST_F(Domains, MissingDomainIsReported)
{
    ctx->domain = nullptr;
    EXPECT_EQ(0, opdf_domainToPageX(ctx, 1));
    EXPECT_EQ(0, opdf_domainToPageY(ctx, 1));
    ASSERT_EQ(2u, reports.size());
    EXPECT_EQ("Plot domain has not been set. See opdf_setPlotDomain()", reports[0].text);
    EXPECT_EQ(2, reports[0].level);
    EXPECT_EQ(1, reports[1].level);

    EXPECT_EQ(0, opdf_pageToDomainX(ctx, 1));
    EXPECT_EQ(0, opdf_pageToDomainY(ctx, 1));
    ASSERT_EQ(4u, reports.size());
    for (size_t i = 2; i < 4; ++i) {
        EXPECT_EQ(reports[0].text, reports[i].text);
        EXPECT_EQ(1, reports[i].level);
    }
    // Without a document nothing is converted or reported.
    EXPECT_EQ(0, opdf_domainToPageX(nullptr, 1));
    EXPECT_EQ(0, opdf_pageToDomainY(nullptr, 1));
    EXPECT_EQ(4u, reports.size());
}

TEST(NiceRange, Table)
{
    const struct {
        float a, b, low, high, major, minor;
    } cases[] = {
        {0, 7.3f, 0, 8, 2, 1},       {-3, 7.3f, -4, 8, 2, 1},   {-7.3f, -1, -8, 0, 2, 1},
        {0, 10, 0, 10, 5, 1},        {0, 100, 0, 100, 50, 10},  {0, 1, 0, 1, 0.5f, 0.1f},
        {0, 0.12f, 0, 0.12f, 0.04f, 0.01f}, {0, 0, -10, 0, 5, 1},
    };
    for (const auto& c : cases) {
        float low, high, fmaj, maj, fmin, min;
        opdf_niceRange(c.a, c.b, &low, &high, &fmaj, &maj, &fmin, &min);
        EXPECT_NEAR(c.low, low, 1e-5) << c.a << ".." << c.b;
        EXPECT_NEAR(c.high, high, 1e-5) << c.a << ".." << c.b;
        EXPECT_NEAR(c.major, maj, 1e-6) << c.a << ".." << c.b;
        EXPECT_NEAR(c.minor, min, 1e-6) << c.a << ".." << c.b;
        EXPECT_EQ(low, fmaj);
        EXPECT_EQ(low, fmin);
    }
    float low, high;
    opdf_niceRangeShort(0, 1e30f * 1e30f, &low, &high); // infinite input ends
    SUCCEED();
}

TEST_F(Domains, FillSetsColourBeforeTheRectangle)
{
    PDFPlotDomain* d = use(opdf_createPlotDomain(10, 20, 30, 40, 0, 1, 0, 1, 0, 0, 0));
    opdf_fillPlotDomainGray(d, 0.5f);
    EXPECT_EQ("\nq\n0.5000 g\n10.000 20.000 30.000 40.000 re\nf\nQ\n", take());
    opdf_fillPlotDomainRGB(d, 1, 0, 0);
    EXPECT_EQ("\nq\n1.0000 0.0000 0.0000 rg\n10.000 20.000 30.000 40.000 re\nf\nQ\n", take());
    opdf_clipToPlotDomain(d);
    EXPECT_EQ("n\n10.000 20.000 30.000 40.000 re\nW\nn\n", take());
}

TEST_F(Domains, MeshLines)
{
    PDFPlotDomain* d = use(opdf_createPlotDomain(0, 0, 100, 50, 0, 2, 0, 1, 0, 0, 0));
    opdf_setDomainTicks(d, 0, 0, 1, 0, 0.5f);
    opdf_setDomainTicks(d, 1, 0, 1, 0, 1);
    opdf_setMeshColors(d, 1, 0, 0, 0, 0, 1);
    opdf_drawMesh(d);
    const std::string minorStyle = "0.1500 w\n[2 3] 0 d\n0.0000 0.0000 1.0000 RG\n";
    const std::string majorStyle = "0.1500 w\n[2 3] 0 d\n1.0000 0.0000 0.0000 RG\n";
    auto vline = [](const char* x) {
        return std::string(x) + " 0.000 m\n" + x + " 50.000 l\nS\n";
    };
    auto hline = [](const char* y) {
        return std::string("0.000 ") + y + " m\n100.000 " + y + " l\nS\n";
    };
    std::string expected = "\nq\n" + minorStyle + vline("0.000") + vline("25.000") +
                           vline("50.000") + vline("75.000") + vline("100.000") + majorStyle +
                           vline("0.000") + vline("50.000") + vline("100.000") + minorStyle +
                           hline("0.000") + hline("50.000") + majorStyle + hline("0.000") +
                           hline("50.000") + "Q\n";
    EXPECT_EQ(expected, take());

    // Logarithmic mesh: one major line per decade, minor lines for 2..9.
    PDFPlotDomain* lg = use(opdf_createPlotDomain(0, 0, 100, 100, 1, 100, 0, 1, 1, 0, 0));
    opdf_setDomainTicks(lg, 1, 0, 2, 0, 2);
    opdf_drawMesh(lg);
    std::string s = take();
    EXPECT_EQ(19u + 2u, (size_t)std::count(s.begin(), s.end(), 'S'));
    EXPECT_NE(std::string::npos, s.find("50.000 0.000 m\n")); // 10 at the middle
}

TEST_F(Domains, AxisLineAndTicks)
{
    PDFPlotDomain* d = use(opdf_createPlotDomain(100, 200, 400, 300, 0, 10, 0, 100, 0, 0, 0));
    PDFAxis* a = opdf_createAxis(0, 400, 0, 0, 10);
    opdf_attachAxis(a, d, 0, -5);
    opdf_setAxisSteps(a, 0, 5, 0, 2.5f);
    opdf_showAxisParts(a, 1, 1, 0);
    opdf_drawAxis(a);
    EXPECT_EQ("\n% Axis starts here \n\nq\n"
              "1.0000 0.0000 0.0000 1.0000 100.0000 195.0000 cm\n"
              "1.0000 w\n-1.000 0.000 m\n401.000 0.000 l\nS\n"
              "1.0000 w\n0.000 0.000 m\n0.000 5.000 l\n100.000 0.000 m\n100.000 5.000 l\n"
              "200.000 0.000 m\n200.000 5.000 l\n300.000 0.000 m\n300.000 5.000 l\n"
              "400.000 0.000 m\n400.000 5.000 l\nS\n"
              "2.0000 w\n0.000 0.000 m\n0.000 10.000 l\n200.000 0.000 m\n200.000 10.000 l\n"
              "400.000 0.000 m\n400.000 10.000 l\nS\nQ\n",
              take());
    EXPECT_EQ(a, ctx->currentAxis);

    // A steep axis puts its ticks below the line.
    PDFAxis* v = opdf_createAxis(90, 300, 0, 0, 100);
    EXPECT_EQ(0, v->tickPlacement);
    EXPECT_EQ(2, v->labelSide);
    opdf_freeAxis(v);
    opdf_freeAxis(a);

    PDFAxis* loose = opdf_createAxis(0, 10, 0, 0, 1);
    opdf_drawAxis(loose); // not attached: nothing drawn
    EXPECT_EQ("", take());
    opdf_freeAxis(loose);
}

TEST(TimeArithmetic, DaysAndSteps)
{
    PDFTimeRecord a{0, 0, 12, 31, 11, 115, 0, 0, 0};
    PDFTimeRecord b{0, 0, 0, 1, 0, 116, 0, 0, 0};
    _opdf_normalizeTime(&a);
    _opdf_normalizeTime(&b);
    EXPECT_DOUBLE_EQ(0.5, _opdf_daysBetween(&a, &b));
    EXPECT_DOUBLE_EQ(-0.5, _opdf_daysBetween(&b, &a));

    PDFTimeRecord start{0, 0, 0, 1, 0, 116, 0, 0, 0};
    _opdf_normalizeTime(&start);
    PDFTimeRecord t = start;
    std::vector<int> days;
    for (int i = 0; i < 8; i++) {
        _opdf_timeAdd(&t, 3, 5, &start);
        days.push_back(t.mday);
    }
    EXPECT_EQ((std::vector<int>{5, 10, 15, 20, 25, 30, 1, 5}), days);
    EXPECT_EQ(1, t.mon);

    const struct {
        int year;
        bool leap;
    } years[] = {{2016, true}, {1900, false}, {2000, true}, {2015, false}};
    for (const auto& y : years)
        EXPECT_EQ(y.leap, _opdf_isLeapYear(y.year) != 0) << y.year;

    int mu, Mu, ma, Ma;
    _opdf_timeStep(_opdf_timeStepRow(20), &mu, &Mu, &ma, &Ma);
    EXPECT_EQ(3, Mu);
    EXPECT_EQ(5, Ma);
    _opdf_timeStep(_opdf_timeStepRow(200000), &mu, &Mu, &ma, &Ma);
    EXPECT_EQ(100, Ma);
}

TEST_F(Domains, TimeDomainMeshRunsOverTheDays)
{
    PDFTimeRecord s{0, 0, 0, 1, 0, 116, 0, 0, 0};
    PDFTimeRecord e{0, 0, 0, 21, 0, 116, 0, 0, 0};
    PDFPlotDomain* d = use(opdf_createTimePlotDomain(0, 0, 200, 100, &s, &e, 0, 1, 2, 0, 0));
    EXPECT_FLOAT_EQ(20, d->xmax);
    opdf_drawMesh(d);
    std::string str = take();
    // major lines every 5 days: days 1, 5, 10, 15, 20 of January at 0, 40, 90, 140, 190
    for (const char* x : {"0.000 0.000 m\n", "40.000 0.000 m\n", "190.000 0.000 m\n"})
        EXPECT_NE(std::string::npos, str.find(x)) << x;
    EXPECT_TRUE(reports.empty());
}

} // namespace
