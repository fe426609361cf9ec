#pragma once

#include <QByteArray>
#include <QString>

#include <algorithm>
#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <vector>

#include "core/TDateTime.h"

// Colour as the chart takes it: alpha << 24 | blue << 16 | green << 8 | red.
using ChartColor = std::uint32_t;
constexpr ChartColor PEargb(int alpha, int red, int green, int blue) {
    return (static_cast<ChartColor>(alpha & 0xFF) << 24) |
           (static_cast<ChartColor>(blue & 0xFF) << 16) |
           (static_cast<ChartColor>(green & 0xFF) << 8) | static_cast<ChartColor>(red & 0xFF);
}
constexpr int colorRed(ChartColor c) {
    return static_cast<int>(c & 0xFF);
}
constexpr int colorGreen(ChartColor c) {
    return static_cast<int>((c >> 8) & 0xFF);
}
constexpr int colorBlue(ChartColor c) {
    return static_cast<int>((c >> 16) & 0xFF);
}
constexpr int colorAlpha(ChartColor c) {
    return static_cast<int>((c >> 24) & 0xFF);
}

inline constexpr float kNullLevel = 9999.0f;

enum class ScaleControl : std::int32_t { Automatic = 0, ManualMinAndMax = 3 };
enum class GridStyle : std::int32_t { Thin = 0, Thick = 1, Dot = 2, Dash = 3 };
// Viewing styles: 0 in colour, 1 in shades of grey (for monochrome printers).
inline constexpr std::int32_t kViewColor = 0;
inline constexpr std::int32_t kViewMonochrome = 1;
enum class LineType : std::int32_t { Solid = 0, Dash = 1, Dot = 2, DashDot = 3 };
enum class ZoomStyle : std::int32_t { None = 0, Horizontal = 1, HorzPlusVert = 2 };
enum class PointerKind : std::int32_t { Arrow = 0, Cross = 1, Text = 2 };

enum class AnnotationType : std::int32_t { Text = 0, Cross = 2 };

struct GraphAnnotation {
    double x = 0;
    double y = 0;
    AnnotationType type = AnnotationType::Text;
    QString text;
    ChartColor color = PEargb(255, 255, 255, 255);
    bool operator==(const GraphAnnotation&) const = default;
};

struct VerticalLine {
    double x = 0;
    QString text;
    bool operator==(const VerticalLine&) const = default;
};

// The look of a graph: everything a template carries.
struct GraphLook {
    QString mainTitle;
    QString subTitle = QStringLiteral(" ");
    QString xAxisLabel = QStringLiteral("Time");
    QString yAxisLabel = QStringLiteral("dB");
    ChartColor foreColor = PEargb(255, 190, 190, 190);  // frame around the plotting area
    ChartColor backColor = PEargb(255, 0, 0, 0);        // plotting area
    ChartColor deskColor = PEargb(255, 190, 190, 190);  // outside the frame
    ChartColor textColor = PEargb(255, 0, 0, 0);
    ChartColor yAxisColor = PEargb(255, 255, 0, 0);
    std::vector<ChartColor> subsetColors{PEargb(255, 255, 255, 0), PEargb(255, 255, 0, 0)};
    std::vector<LineType> subsetLineTypes{LineType::Solid, LineType::Solid};
    GridStyle gridStyle = GridStyle::Dot;
    std::int32_t viewingStyle = 0;
    PointerKind pointer = PointerKind::Arrow;
    bool allowBar = true;
    bool allowPopup = false;
    bool noHelp = true;
    bool showGraphAnnotations = true;
    bool showVertLineAnnotations = true;
    std::int32_t lineAnnotationTextSize = 100;
    std::int32_t graphAnnotationTextSize = 100;
    bool dateTimeX = true;
    bool dataLabels = false;
    ZoomStyle zooming = ZoomStyle::HorzPlusVert;
    bool scrollingHorzZoom = true;
    bool scrollingVertZoom = true;
    bool dataHotSpots = false;
    // Fonts as QFont::toString() writes them; empty: the chart's own.
    QString titleFont;
    QString labelFont;  // axis labels
    QString axisFont;   // tick labels
    bool operator==(const GraphLook&) const = default;
};

// What one chart holds: one or more series of levels against time, their scales, the
// annotations and the look. The chart widget only draws it.
class GraphDocument {
public:
    int subsets() const { return subsets_; }
    int points() const { return points_; }
    // Setting either keeps the values that still fit; new places hold X 0 and Y null.
    void setSubsets(int n);
    void setPoints(int n);

    double x(int subset, int i) const { return x_[index(subset, i)]; }
    float y(int subset, int i) const { return y_[index(subset, i)]; }
    double x(int i) const { return x_[static_cast<std::size_t>(i)]; }
    float y(int i) const { return y_[static_cast<std::size_t>(i)]; }
    void setX(int subset, int i, double v);
    void setY(int subset, int i, float v);
    // Index -1 writes every point of every subset.
    void fillX(double v);
    void fillY(float v);
    // Bulk writes of the first count points of subset 0.
    void setXData(const double* values, int count);
    void setYData(const float* values, int count);
    bool inRange(int subset, int i) const {
        return subset >= 0 && subset < subsets_ && i >= 0 && i < points_;
    }
    // A point that is drawn: its level is not the null level and its time was ever written.
    bool isDrawn(int subset, int i) const;

    // The drawn points of subset 0 between lo and hi (both included): how many, the sum of
    // their levels, and the first highest and first lowest (-1 when none). Answered from
    // summaries of blocks of points, kept up to date as points change, so a range of millions
    // costs about as much as one of thousands.
    struct LevelRange {
        int levels = 0;
        double sum = 0;
        int maxI = -1;
        int minI = -1;
    };
    LevelRange levelRange(int lo, int hi) const;
    // The drawn levels of subset 0 between lo and hi as a histogram of tenths of a dB (see
    // levelBin), from summaries of large blocks; false when a level is no whole tenth, and the
    // caller takes the levels themselves.
    bool levelHistogram(int lo, int hi, std::vector<std::int64_t>& hist) const;

    float nullY = kNullLevel;

    ScaleControl scaleControlX = ScaleControl::Automatic;
    ScaleControl scaleControlY = ScaleControl::Automatic;
    double manualMinX = 0, manualMaxX = 1;
    double manualMinY = 0, manualMaxY = 100;

    GraphLook look;

    // Graph annotations by index; absent indices hold nothing.
    std::map<int, GraphAnnotation> annotations;
    GraphAnnotation annotation(int k) const;
    GraphAnnotation& annotationRef(int k) { return annotations[k]; }
    std::array<VerticalLine, 2> vertLines{};

    // Changes since the chart last drew: the first index changed, or none.
    int firstChanged() const { return firstChanged_; }
    int lastChanged() const { return lastChanged_; }
    bool layoutChanged() const { return layoutChanged_; }
    // Grows with every change of points; equal revisions mean equal points.
    quint64 revision() const { return revision_; }
    void markDrawn() {
        firstChanged_ = lastChanged_ = -1;
        layoutChanged_ = false;
    }
    void markLayoutChanged() { layoutChanged_ = true; }

    // The state block: everything above as bytes, and back. A block that does not load leaves
    // the document as it was and says why. Layout, all numbers little-endian:
    //   "SDGS", u16 version (2; 1 is read too), u16 0
    //   i32 subsets, i32 points, then subsets*points f64 X, then subsets*points f32 Y, f32 nullY
    //   i32 scaleControlX, f64 minX, f64 maxX, i32 scaleControlY, f64 minY, f64 maxY
    //   look: str mainTitle, subTitle, xAxisLabel, yAxisLabel; u32 fore, back, desk, text,
    //     yAxis colours; i32 n + n u32 subset colours; i32 n + n i32 line types; i32 grid style,
    //     viewing style, pointer; u8 allowBar, allowPopup, noHelp, showGraphAnnotations,
    //     showVertLineAnnotations; i32 line and graph annotation text sizes; u8 dateTimeX,
    //     dataLabels; i32 zooming; u8 scrollingHorzZoom, scrollingVertZoom, dataHotSpots;
    //     version 2 only: str titleFont, labelFont, axisFont
    //   i32 n, then n annotations: i32 index, f64 x, f64 y, i32 type, str text, u32 colour
    //   2 vertical lines: f64 x, str text
    // A str is an i32 byte count and that many bytes of UTF-8. Every count is checked against
    // the bytes that remain before anything is allocated.
    QByteArray saveState() const;
    bool loadState(const QByteArray& block, QString* error = nullptr);

    bool operator==(const GraphDocument& o) const;

private:
    std::size_t index(int subset, int i) const {
        return static_cast<std::size_t>(subset) * static_cast<std::size_t>(points_) +
               static_cast<std::size_t>(i);
    }
    void changed(int i) {
        if (firstChanged_ < 0 || i < firstChanged_)
            firstChanged_ = i;
        if (i > lastChanged_)
            lastChanged_ = i;
        blocksValidBelow_ = std::min(blocksValidBelow_, i);
        histValidBelow_ = std::min(histValidBelow_, i);
        ++revision_;
    }
    void refreshLevelBlocks() const;
    void takeLevel(int i, LevelRange& r) const;
    void resize(int subsets, int points);

    int subsets_ = 1;
    int points_ = 0;
    std::vector<double> x_;
    std::vector<float> y_;
    int firstChanged_ = -1;
    int lastChanged_ = -1;
    bool layoutChanged_ = true;

    static constexpr int kLevelBlock = 1024;
    mutable std::vector<LevelRange> levelBlocks_;
    mutable int blocksValidBelow_ = 0;  // points below this index are summarised
    quint64 revision_ = 0;
    static constexpr int kHistBlock = 65536;
    mutable std::vector<std::int32_t> histBlocks_;  // kLevelBins counts for each block
    mutable int histValidBelow_ = 0;
    mutable bool histTenths_ = true;  // every drawn level of the summarised blocks is a tenth
    void refreshHistBlocks() const;
};
