// The offline project editor TfrmProject: the chip frame (lent by the main
// window while the dialog is open), download method, steps, count limit,
// serial numbers, data file choice, project name, the download button, its
// log memLogOffPrj, the bar pbPrjDownStatus and the two-panel status bar
// sbPrj. The editor's logic lives in the engine (ProjectEditor, the
// download); the main window runs it on the worker and this dialog shows it.
#pragma once

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTextEdit>
#include <QVBoxLayout>
#include <array>

#include "core/base/views.h"
#include "core/project/project_download.h"
#include "core/project/project_editor.h"
#include "gui/gui_thread_views.h"

namespace tq::gui {

class ProjectDialog final : public QDialog, public ProjectLogView {
    Q_OBJECT
public:
    // The editor works on `context` and sets `chipFrameInDialog`; both are
    // the session's and are touched only on the worker.
    ProjectDialog(OperationContext& context, bool& chipFrameInDialog, QWidget* parent);

    // The editor and the download's views, for the worker: what they show
    // reaches this dialog on the window's thread.
    ProjectEditor& editor() { return editor_; }
    // The download's views: this dialog's stages and bar, and `messages` for what it reports.
    ProjectDialogViews views(MessageView& messages) { return {statusFromWorker_, barFromWorker_, messages}; }
    ProjectLogView& logView() { return logFromWorker_; }

    // The controls as a project plan (all but the chip and the data file).
    ProjectPlan Plan() const;
    // The step boxes as the editor set them on opening.
    void ShowSteps(const ProjectPlan& plan);
    void SetProjectName(const std::string& name);
    void Retranslate(int language);

    // Where the lent chip frame goes: the top left of the edit page.
    QVBoxLayout* chipFrameHost() const { return chipFrameHost_; }
    // The buttons that start work on the session: off while the window is busy.
    QList<QObject*> sessionCommands() const { return {chooseFile_, download_}; }

    // memLogOffPrj.
    void Clear() override;
    void AppendLine(const std::string& text, LogColour colour) override;

    QString PanelText(int panel) const { return panels_.at(panel)->text(); }
    QProgressBar* bar() const { return bar_; }
    QTextEdit* log() const { return log_; }

signals:
    void Button2Clicked();
    void btnDownLoadPrjClicked();

private:
    // sbPrj: panel 0 the stage, panel 1 its state or percentage.
    class StatusPanels final : public StatusBarView {
    public:
        explicit StatusPanels(ProjectDialog& dialog) : dialog_(dialog) {}
        void SetPanelText(int panel, const std::string& text) override;

    private:
        ProjectDialog& dialog_;
    };
    // pbPrjDownStatus: a percentage bar; it has no error state or colour.
    class Bar final : public ProgressView {
    public:
        explicit Bar(ProjectDialog& dialog) : dialog_(dialog) {}
        void SetMaximum(uint32_t maximum) override;
        void SetPosition(uint32_t position) override;
        void SetState(ProgressState) override {}
        void SetBarColour(BarColour) override {}
        void SetLabelText(const std::string&) override {}
        void SetLabelColour(LabelColour) override {}

    private:
        ProjectDialog& dialog_;
    };

    QWidget* BuildEditPage();

    StatusPanels statusPanels_{*this};
    Bar barView_{*this};
    Marshalled<ProjectLogView> logFromWorker_{*this};
    Marshalled<StatusBarView> statusFromWorker_{*this, statusPanels_};
    Marshalled<ProgressView> barFromWorker_{*this, barView_};
    ProjectEditor editor_;

    QTabWidget* pages_;
    QVBoxLayout* chipFrameHost_;
    QGroupBox* operation_;
    QLabel* methodLabel_;
    QComboBox* method_;
    QCheckBox* verify_;
    QCheckBox* write_;
    QCheckBox* erase_;
    QCheckBox* idCheck_;
    QCheckBox* blankCheck_;
    QCheckBox* limit_;
    QLineEdit* limitCount_;
    QGroupBox* serial_;
    QCheckBox* autoSerial_;
    QLabel* serialBytesLabel_;
    QComboBox* serialBytes_;
    QLabel* serialEndianLabel_;
    QComboBox* serialEndian_;
    QLabel* serialAddressLabel_;
    QLineEdit* serialAddress_;
    QLabel* serialValueLabel_;
    QLineEdit* serialValue_;
    QPushButton* chooseFile_;
    QPushButton* download_;
    QLineEdit* projectName_;
    QProgressBar* bar_;
    QTextEdit* log_;
    QStatusBar* statusBar_;
    std::array<QLabel*, 2> panels_{};
};

}  // namespace tq::gui
