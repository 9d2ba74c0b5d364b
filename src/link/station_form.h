#pragma once
// The station table's setup window: 32 station names and connect paths,
// edited in place; every update acts on the table at once.

#include <QByteArray>
#include <QWidget>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QScrollBar;

class TStationForm : public QWidget {
    Q_OBJECT
public:
    static constexpr int Entries = 32;

    explicit TStationForm(QWidget* parent = nullptr);

    // The table, entry i = 0..31 (the connect drop-down, Connect, the settings file).
    QByteArray stationName(int i) const;
    QByteArray stationPath(int i) const;
    // Puts one stored entry into its rows, selecting them as it goes.
    void setStation(int i, const QByteArray& name, const QByteArray& path);

    void FormCreate();
    void FormShow();
    void StationSelectChange();
    void StationListClick();
    void ConnectListClick();
    void StationBtnClick();
    void PathBtnClick();

    QLabel* StationHeading;
    QListWidget* StationList;
    QLabel* PathHeading;
    QListWidget* ConnectList;
    QScrollBar* StationSelect;
    QLabel* EditHeading;
    QLineEdit* Edit_Station_Path;
    QLabel* UpdateHeading;
    QPushButton* StationBtn;
    QPushButton* PathBtn;

protected:
    void showEvent(QShowEvent* event) override;
};
