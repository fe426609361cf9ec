#include "graph/GraphDocument.h"

#include "stats/AcousticStatistics.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <type_traits>

namespace {

constexpr char kMagic[4] = {'S', 'D', 'G', 'S'};
constexpr quint16 kVersion = 2;
// Far above any real graph, low enough that a forged block cannot ask for gigabytes.
constexpr qint64 kMaxPoints = 100'000'000;
// The chart draws one series; a few more leave room, billions are a forged block.
constexpr qint32 kMaxSubsets = 16;

class Writer {
public:
    template <typename T>
    void put(T v) {
        static_assert(std::is_arithmetic_v<T>);
        char b[sizeof(T)];
        qToLittleEndian(v, b);
        out.append(b, sizeof(T));
    }
    void putBool(bool v) { put<quint8>(v ? 1 : 0); }
    void putString(const QString& s) {
        const QByteArray u = s.toUtf8();
        put<qint32>(static_cast<qint32>(u.size()));
        out.append(u);
    }
    QByteArray out;
};

class Reader {
public:
    explicit Reader(const QByteArray& b) : data_(b) {}
    template <typename T>
    bool get(T& v) {
        static_assert(std::is_arithmetic_v<T>);
        if (remaining() < static_cast<qint64>(sizeof(T)))
            return false;
        v = qFromLittleEndian<T>(data_.constData() + pos_);
        pos_ += sizeof(T);
        return true;
    }
    bool getBool(bool& v) {
        quint8 b = 0;
        if (!get(b) || b > 1)
            return false;
        v = b != 0;
        return true;
    }
    bool getString(QString& s) {
        qint32 n = 0;
        if (!get(n) || n < 0 || n > remaining())
            return false;
        s = QString::fromUtf8(data_.constData() + pos_, n);
        pos_ += n;
        return true;
    }
    template <typename E>
    bool getEnum(E& e, std::initializer_list<E> allowed) {
        std::int32_t v = 0;
        if (!get(v))
            return false;
        for (E a : allowed)
            if (static_cast<std::int32_t>(a) == v) {
                e = a;
                return true;
            }
        return false;
    }
    qint64 remaining() const { return data_.size() - pos_; }

private:
    const QByteArray& data_;
    qint64 pos_ = 0;
};

bool readLook(Reader& r, GraphLook& l, quint16 version) {
    qint32 n = 0;
    if (!(r.getString(l.mainTitle) && r.getString(l.subTitle) && r.getString(l.xAxisLabel) &&
          r.getString(l.yAxisLabel) && r.get(l.foreColor) && r.get(l.backColor) &&
          r.get(l.deskColor) && r.get(l.textColor) && r.get(l.yAxisColor) && r.get(n)))
        return false;
    if (n < 0 || n > r.remaining() / 4)
        return false;
    l.subsetColors.assign(static_cast<std::size_t>(n), 0);
    for (auto& c : l.subsetColors)
        if (!r.get(c))
            return false;
    if (!r.get(n) || n < 0 || n > r.remaining() / 4)
        return false;
    l.subsetLineTypes.assign(static_cast<std::size_t>(n), LineType::Solid);
    for (auto& t : l.subsetLineTypes)
        if (!r.getEnum(t, {LineType::Solid, LineType::Dash, LineType::Dot, LineType::DashDot}))
            return false;
    return r.getEnum(l.gridStyle,
                     {GridStyle::Thin, GridStyle::Thick, GridStyle::Dot, GridStyle::Dash}) &&
           r.get(l.viewingStyle) &&
           r.getEnum(l.pointer, {PointerKind::Arrow, PointerKind::Cross, PointerKind::Text}) &&
           r.getBool(l.allowBar) && r.getBool(l.allowPopup) && r.getBool(l.noHelp) &&
           r.getBool(l.showGraphAnnotations) && r.getBool(l.showVertLineAnnotations) &&
           r.get(l.lineAnnotationTextSize) && r.get(l.graphAnnotationTextSize) &&
           r.getBool(l.dateTimeX) && r.getBool(l.dataLabels) &&
           r.getEnum(l.zooming,
                     {ZoomStyle::None, ZoomStyle::Horizontal, ZoomStyle::HorzPlusVert}) &&
           r.getBool(l.scrollingHorzZoom) && r.getBool(l.scrollingVertZoom) &&
           r.getBool(l.dataHotSpots) &&
           (version < 2 ||
            (r.getString(l.titleFont) && r.getString(l.labelFont) && r.getString(l.axisFont)));
}

void writeLook(Writer& w, const GraphLook& l) {
    w.putString(l.mainTitle);
    w.putString(l.subTitle);
    w.putString(l.xAxisLabel);
    w.putString(l.yAxisLabel);
    for (ChartColor c : {l.foreColor, l.backColor, l.deskColor, l.textColor, l.yAxisColor})
        w.put(c);
    w.put<qint32>(static_cast<qint32>(l.subsetColors.size()));
    for (ChartColor c : l.subsetColors)
        w.put(c);
    w.put<qint32>(static_cast<qint32>(l.subsetLineTypes.size()));
    for (LineType t : l.subsetLineTypes)
        w.put(static_cast<std::int32_t>(t));
    w.put(static_cast<std::int32_t>(l.gridStyle));
    w.put(l.viewingStyle);
    w.put(static_cast<std::int32_t>(l.pointer));
    for (bool b :
         {l.allowBar, l.allowPopup, l.noHelp, l.showGraphAnnotations, l.showVertLineAnnotations})
        w.putBool(b);
    w.put(l.lineAnnotationTextSize);
    w.put(l.graphAnnotationTextSize);
    w.putBool(l.dateTimeX);
    w.putBool(l.dataLabels);
    w.put(static_cast<std::int32_t>(l.zooming));
    w.putBool(l.scrollingHorzZoom);
    w.putBool(l.scrollingVertZoom);
    w.putBool(l.dataHotSpots);
    w.putString(l.titleFont);
    w.putString(l.labelFont);
    w.putString(l.axisFont);
}

}  // namespace

void GraphDocument::resize(int subsets, int points) {
    subsets = std::max(subsets, 1);
    points = std::max(points, 0);
    if (subsets == subsets_ && points == points_)
        return;
    std::vector<double> nx(static_cast<std::size_t>(subsets) * static_cast<std::size_t>(points),
                           0.0);
    std::vector<float> ny(nx.size(), nullY);
    const int keepS = std::min(subsets, subsets_);
    const int keepP = std::min(points, points_);
    for (int s = 0; s < keepS; ++s)
        for (int i = 0; i < keepP; ++i) {
            const std::size_t to = static_cast<std::size_t>(s) * static_cast<std::size_t>(points) +
                                   static_cast<std::size_t>(i);
            nx[to] = x_[index(s, i)];
            ny[to] = y_[index(s, i)];
        }
    x_ = std::move(nx);
    y_ = std::move(ny);
    subsets_ = subsets;
    points_ = points;
    layoutChanged_ = true;
    blocksValidBelow_ = 0;
    histValidBelow_ = 0;
    ++revision_;
}

void GraphDocument::setSubsets(int n) {
    resize(n, points_);
}
void GraphDocument::setPoints(int n) {
    resize(subsets_, n);
}

void GraphDocument::setX(int subset, int i, double v) {
    if (!inRange(subset, i))
        return;
    x_[index(subset, i)] = v;
    changed(i);
}
void GraphDocument::setY(int subset, int i, float v) {
    if (!inRange(subset, i))
        return;
    y_[index(subset, i)] = v;
    changed(i);
}
void GraphDocument::fillX(double v) {
    std::fill(x_.begin(), x_.end(), v);
    layoutChanged_ = true;
    blocksValidBelow_ = 0;
    histValidBelow_ = 0;
    ++revision_;
}
void GraphDocument::fillY(float v) {
    std::fill(y_.begin(), y_.end(), v);
    layoutChanged_ = true;
    blocksValidBelow_ = 0;
    histValidBelow_ = 0;
    ++revision_;
}
void GraphDocument::setXData(const double* values, int count) {
    count = std::clamp(count, 0, points_);
    std::copy(values, values + count, x_.begin());
    layoutChanged_ = true;
    blocksValidBelow_ = 0;
    histValidBelow_ = 0;
    ++revision_;
}
void GraphDocument::setYData(const float* values, int count) {
    count = std::clamp(count, 0, points_);
    std::copy(values, values + count, y_.begin());
    layoutChanged_ = true;
    blocksValidBelow_ = 0;
    histValidBelow_ = 0;
    ++revision_;
}

bool GraphDocument::isDrawn(int subset, int i) const {
    const std::size_t k = index(subset, i);
    return y_[k] != nullY && x_[k] != 0.0;
}

void GraphDocument::takeLevel(int i, LevelRange& r) const {
    if (!isDrawn(0, i))
        return;
    const float v = y_[static_cast<std::size_t>(i)];
    ++r.levels;
    r.sum += v;
    // Strictly higher or lower: ties keep the first occurrence.
    if (r.maxI < 0 || v > y_[static_cast<std::size_t>(r.maxI)])
        r.maxI = i;
    if (r.minI < 0 || v < y_[static_cast<std::size_t>(r.minI)])
        r.minI = i;
}

void GraphDocument::refreshLevelBlocks() const {
    const int blocks = (points_ + kLevelBlock - 1) / kLevelBlock;
    const int from = std::min(blocksValidBelow_, points_) / kLevelBlock;
    levelBlocks_.resize(static_cast<std::size_t>(blocks));
    for (int b = from; b < blocks; ++b) {
        LevelRange r;
        const int end = std::min(points_, (b + 1) * kLevelBlock);
        for (int i = b * kLevelBlock; i < end; ++i)
            takeLevel(i, r);
        levelBlocks_[static_cast<std::size_t>(b)] = r;
    }
    blocksValidBelow_ = points_;
}

GraphDocument::LevelRange GraphDocument::levelRange(int lo, int hi) const {
    LevelRange r;
    lo = std::max(lo, 0);
    hi = std::min(hi, points_ - 1);
    if (lo > hi)
        return r;
    if (blocksValidBelow_ < points_)
        refreshLevelBlocks();
    int i = lo;
    for (; i <= hi && i % kLevelBlock != 0; ++i)
        takeLevel(i, r);
    for (; i + kLevelBlock - 1 <= hi; i += kLevelBlock) {
        const LevelRange& b = levelBlocks_[static_cast<std::size_t>(i / kLevelBlock)];
        r.levels += b.levels;
        r.sum += b.sum;
        if (b.maxI >= 0 && (r.maxI < 0 || y_[static_cast<std::size_t>(b.maxI)] >
                                              y_[static_cast<std::size_t>(r.maxI)]))
            r.maxI = b.maxI;
        if (b.minI >= 0 && (r.minI < 0 || y_[static_cast<std::size_t>(b.minI)] <
                                              y_[static_cast<std::size_t>(r.minI)]))
            r.minI = b.minI;
    }
    for (; i <= hi; ++i)
        takeLevel(i, r);
    return r;
}

void GraphDocument::refreshHistBlocks() const {
    const int blocks = (points_ + kHistBlock - 1) / kHistBlock;
    const int from = std::min(histValidBelow_, points_) / kHistBlock;
    histBlocks_.resize(static_cast<std::size_t>(blocks) * kLevelBins);
    if (from == 0)
        histTenths_ = true;
    for (int b = from; b < blocks; ++b) {
        std::int32_t* counts = histBlocks_.data() + static_cast<std::size_t>(b) * kLevelBins;
        std::fill(counts, counts + kLevelBins, 0);
        const int end = std::min(points_, (b + 1) * kHistBlock);
        for (int i = b * kHistBlock; i < end; ++i) {
            if (!isDrawn(0, i))
                continue;
            const int t = levelBin(y_[static_cast<std::size_t>(i)]);
            if (t < 0)
                histTenths_ = false;
            else
                ++counts[t];
        }
    }
    histValidBelow_ = points_;
}

bool GraphDocument::levelHistogram(int lo, int hi, std::vector<std::int64_t>& hist) const {
    hist.assign(kLevelBins, 0);
    lo = std::max(lo, 0);
    hi = std::min(hi, points_ - 1);
    if (lo > hi)
        return true;
    if (histValidBelow_ < points_)
        refreshHistBlocks();
    if (!histTenths_)
        return false;
    const auto take = [&](int i) {
        if (isDrawn(0, i))
            ++hist[static_cast<std::size_t>(levelBin(y_[static_cast<std::size_t>(i)]))];
    };
    int i = lo;
    for (; i <= hi && i % kHistBlock != 0; ++i)
        take(i);
    for (; i + kHistBlock - 1 <= hi; i += kHistBlock) {
        const std::int32_t* counts =
            histBlocks_.data() + static_cast<std::size_t>(i / kHistBlock) * kLevelBins;
        for (int t = 0; t < kLevelBins; ++t)
            hist[static_cast<std::size_t>(t)] += counts[t];
    }
    for (; i <= hi; ++i)
        take(i);
    return true;
}

GraphAnnotation GraphDocument::annotation(int k) const {
    const auto it = annotations.find(k);
    return it == annotations.end() ? GraphAnnotation{} : it->second;
}

bool GraphDocument::operator==(const GraphDocument& o) const {
    return subsets_ == o.subsets_ && points_ == o.points_ && x_ == o.x_ && y_ == o.y_ &&
           nullY == o.nullY && scaleControlX == o.scaleControlX &&
           scaleControlY == o.scaleControlY && manualMinX == o.manualMinX &&
           manualMaxX == o.manualMaxX && manualMinY == o.manualMinY && manualMaxY == o.manualMaxY &&
           look == o.look && annotations == o.annotations && vertLines == o.vertLines;
}

QByteArray GraphDocument::saveState() const {
    Writer w;
    w.out.append(kMagic, 4);
    w.put(kVersion);
    w.put<quint16>(0);
    w.put<qint32>(subsets_);
    w.put<qint32>(points_);
    w.out.reserve(w.out.size() + static_cast<qsizetype>(x_.size() * 12 + 4096));
    for (double v : x_)
        w.put(v);
    for (float v : y_)
        w.put(v);
    w.put(nullY);
    w.put(static_cast<std::int32_t>(scaleControlX));
    w.put(manualMinX);
    w.put(manualMaxX);
    w.put(static_cast<std::int32_t>(scaleControlY));
    w.put(manualMinY);
    w.put(manualMaxY);
    writeLook(w, look);
    w.put<qint32>(static_cast<qint32>(annotations.size()));
    for (const auto& [k, a] : annotations) {
        w.put<qint32>(k);
        w.put(a.x);
        w.put(a.y);
        w.put(static_cast<std::int32_t>(a.type));
        w.putString(a.text);
        w.put(a.color);
    }
    for (const VerticalLine& v : vertLines) {
        w.put(v.x);
        w.putString(v.text);
    }
    return w.out;
}

bool GraphDocument::loadState(const QByteArray& block, QString* error) {
    auto fail = [error](const char* why) {
        if (error)
            *error = QString::fromLatin1(why);
        return false;
    };
    Reader r(block);
    if (block.size() < 8 || std::memcmp(block.constData(), kMagic, 4) != 0)
        return fail("not a graph state");
    quint32 skip = 0;
    r.get(skip);
    quint16 version = 0, reserved = 0;
    r.get(version);
    r.get(reserved);
    if (version < 1 || version > kVersion)
        return fail("unknown graph state version");

    GraphDocument d;
    qint32 subsets = 0, points = 0;
    if (!r.get(subsets) || !r.get(points) || subsets < 1 || points < 0)
        return fail("bad point count");
    if (subsets > kMaxSubsets)
        return fail("too many series");
    const qint64 total = static_cast<qint64>(subsets) * points;
    if (total > kMaxPoints || total * 12 > r.remaining())
        return fail("point count larger than the block");
    d.subsets_ = subsets;
    d.points_ = points;
    d.x_.resize(static_cast<std::size_t>(total));
    d.y_.resize(static_cast<std::size_t>(total));
    for (double& v : d.x_)
        r.get(v);
    for (float& v : d.y_)
        r.get(v);
    bool ok =
        r.get(d.nullY) &&
        r.getEnum(d.scaleControlX, {ScaleControl::Automatic, ScaleControl::ManualMinAndMax}) &&
        r.get(d.manualMinX) && r.get(d.manualMaxX) &&
        r.getEnum(d.scaleControlY, {ScaleControl::Automatic, ScaleControl::ManualMinAndMax}) &&
        r.get(d.manualMinY) && r.get(d.manualMaxY) && readLook(r, d.look, version);
    if (!ok)
        return fail("truncated or damaged graph state");
    qint32 n = 0;
    // An annotation takes at least 32 bytes.
    if (!r.get(n) || n < 0 || n > r.remaining() / 32)
        return fail("bad annotation count");
    for (qint32 i = 0; i < n; ++i) {
        qint32 k = 0;
        GraphAnnotation a;
        if (!(r.get(k) && r.get(a.x) && r.get(a.y) &&
              r.getEnum(a.type, {AnnotationType::Text, AnnotationType::Cross}) &&
              r.getString(a.text) && r.get(a.color)))
            return fail("truncated or damaged annotation");
        d.annotations[k] = std::move(a);
    }
    for (VerticalLine& v : d.vertLines)
        if (!(r.get(v.x) && r.getString(v.text)))
            return fail("truncated or damaged cursor line");
    d.firstChanged_ = d.lastChanged_ = -1;
    d.layoutChanged_ = true;
    d.blocksValidBelow_ = 0;
    d.histValidBelow_ = 0;
    d.revision_ = revision_ + 1;
    *this = std::move(d);
    return true;
}
