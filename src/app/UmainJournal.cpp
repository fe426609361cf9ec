#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>

#include <algorithm>

#include "app/Umain.h"
#include "core/AppState.h"
#include "core/Dialogs.h"
#include "core/LocaleText.h"
#include "files/TableToGraph.h"
#include "graph/PESGraph.h"

namespace {
// Holds a journal as a child of its graph window: it lives exactly as long as the window.
class JournalHolder final : public QObject {
public:
    JournalHolder(QObject* window, std::unique_ptr<RecordingJournal> journal)
        : QObject(window), journal(std::move(journal)) {
        setObjectName(name());
    }
    static QString name() { return QStringLiteral("RecordingJournalHolder"); }
    std::unique_ptr<RecordingJournal> journal;
};

JournalHolder* holderOf(const TfrmGraph* graph) {
    // Found by its name: the holder has no meta-object of its own to cast by.
    return static_cast<JournalHolder*>(
        graph->findChild<QObject*>(JournalHolder::name(), Qt::FindDirectChildrenOnly));
}
}  // namespace

void TfrmMain::keepJournal(TfrmGraph* graph, std::unique_ptr<RecordingJournal> journal) {
    dropJournal(graph);
    auto* holder = new JournalHolder(graph, std::move(journal));
    if (graph == appState().RealTimeGraphWindow)
        recordingJournal_ = holder;
    // Clear lets the samples go, and their journal with them.
    connect(graph, &TfrmGraph::cleared, holder, &QObject::deleteLater);
}

void TfrmMain::dropJournal(TfrmGraph* graph) {
    delete holderOf(graph);
}

void TfrmMain::keepJournalsForNextStart() {
    for (TfrmGraph* g : graphWindows())
        if (JournalHolder* h = holderOf(g))
            h->journal->abandon();
}

void TfrmMain::journalSample(int index, TDateTime time, float level) {
    if (auto* holder = static_cast<JournalHolder*>(recordingJournal_.data()))
        holder->journal->append(index, time, level);
}

void TfrmMain::graphSaved(TfrmGraph* graph) {
    graph->unsavedRecovery = false;
    // A recording saved while it runs still needs its journal for the samples to come.
    if (graph == appState().RealTimeGraphWindow && appState().RealTimeRunning)
        return;
    dropJournal(graph);
}

const RecordingJournal* TfrmMain::journalOf(TfrmGraph* graph) const {
    const JournalHolder* h = holderOf(graph);
    return h ? h->journal.get() : nullptr;
}

void TfrmMain::offerRecovery() {
    for (const QString& path : RecordingJournal::leftBehind()) {
        const auto contents = RecordingJournal::read(path);
        if (!contents || contents->samples.empty()) {
            // Nothing was recorded before the crash.
            QFile::remove(path);
            continue;
        }
        const auto answer = Dialogs::instance().question(
            QStringLiteral("A recording of %1 with %2 samples was not saved. Recover it?")
                .arg(localetext::dateTimeText(contents->header.start))
                .arg(contents->samples.size()),
            Dialogs::Buttons::YesNo);
        if (answer == Dialogs::Answer::Yes)
            recoverRecording(path, *contents);
        else
            QFile::remove(path);
    }
}

TfrmGraph* TfrmMain::recoverRecording(const QString& path,
                                      const RecordingJournal::Contents& contents) {
    auto journal = RecordingJournal::adopt(path);
    if (!journal)
        return nullptr;  // another program took it meanwhile
    const auto& samples = contents.samples;
    const int n = static_cast<int>(samples.size());
    auto* g = new TfrmGraph(*this);
    g->setCaption(QStringLiteral("Recovered recording of %1")
                      .arg(localetext::dateTimeText(contents.header.start)));
    frmGraph_ = g;
    QMdiSubWindow* sub = addGraphWindow(g);
    sub->setGeometry(0, 0, width(), std::max(200, mdi_->height() - 40));
    sub->show();
    const auto [lo, hi] =
        std::minmax_element(samples.begin(), samples.end(),
                            [](const RecordingJournal::Sample& a,
                               const RecordingJournal::Sample& b) { return a.time < b.time; });
    InitGraph(*g->chart(), 1, 130, 30, hi->time, lo->time, n);
    GraphDocument& d = g->chart()->doc();
    for (int i = 0; i < n; ++i) {
        d.setX(0, i, samples[static_cast<std::size_t>(i)].time);
        d.setY(0, i, samples[static_cast<std::size_t>(i)].level);
    }
    fitTimeRange(d);
    g->unsavedRecovery = true;
    keepJournal(g, std::move(journal));
    g->chart()->PEactions(PESGraph::sgReinitAndReset);
    g->chart()->replotNow();
    g->UpdateGraphStatistics();
    g->chart()->PEactions(PESGraph::sgReinitAndReset);
    g->redraw();
    return g;
}
