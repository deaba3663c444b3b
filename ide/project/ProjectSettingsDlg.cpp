#include "ProjectSettingsDlg.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

#include <utility>

namespace {

// Hands the end of an in-place rename to the dialog instead of writing the item; an
// abandoned edit never gets here.
class CRenameDelegate : public QStyledItemDelegate
{
public:
    explicit CRenameDelegate(CProjectSettingsDlg* dialog)
        : QStyledItemDelegate(dialog), m_pDialog(dialog)
    {
    }
    // The configuration is noted when its editor opens, while the rows and the model
    // still agree.
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override
    {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        editor->setProperty(kIdProperty, m_pDialog->Model().RowId(index.row()));
        return editor;
    }
    void setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex&) const override
    {
        m_pDialog->QueueRename(editor->property(kIdProperty).toInt(),
                               static_cast<QLineEdit*>(editor)->text());
    }

private:
    static constexpr const char* kIdProperty = "configurationId";
    CProjectSettingsDlg* m_pDialog;
};

QLabel* Buddy(const QString& text, QWidget* buddy)
{
    auto* label = new QLabel(text);
    label->setBuddy(buddy);
    return label;
}

QLineEdit* Edit(const char* name)
{
    auto* edit = new QLineEdit();
    edit->setObjectName(QString::fromLatin1(name));
    return edit;
}

// Sets a box's text only when it differs, so that typing in it keeps the caret.
void ShowText(QLineEdit* edit, const QString& text)
{
    if (edit->text() != text) {
        edit->setText(text);
    }
}

} // namespace

CProjectSettingsDlg::CProjectSettingsDlg(CProjectDocument* project, QWidget* parent)
    : QDialog(parent), m_pProject(project), m_model(*project)
{
    setObjectName(QStringLiteral("ProjectSettingsDlg"));
    setWindowTitle(QStringLiteral("Project Settings"));

    m_pType = new QComboBox();
    m_pType->setObjectName(QStringLiteral("ProjectType"));
    m_pType->addItems({QStringLiteral("Directory (.dir)"), QStringLiteral("Individual Files (.gx)"),
                       QStringLiteral("Library (.lib)")});
    m_pRomId = Edit("RomId");
    m_pProjectDir = Edit("ProjectDir");
    m_pProjectDir->setEnabled(false);
    auto* compile = new QGroupBox(QStringLiteral("Compile Settings:"));
    auto* compileGrid = new QGridLayout(compile);
    compileGrid->addWidget(Buddy(QStringLiteral("&Project type:"), m_pType), 0, 0);
    compileGrid->addWidget(m_pType, 0, 1);
    compileGrid->addWidget(Buddy(QStringLiteral("&ROMID:"), m_pRomId), 1, 0);
    compileGrid->addWidget(m_pRomId, 1, 1);
    compileGrid->addWidget(Buddy(QStringLiteral("&Default project directory:"), m_pProjectDir), 2,
                           0);
    compileGrid->addWidget(m_pProjectDir, 2, 1);

    m_pConfigs = new QListWidget();
    m_pConfigs->setObjectName(QStringLiteral("Configurations"));
    m_pConfigs->setSelectionMode(QAbstractItemView::SingleSelection);
    m_pConfigs->setEditTriggers(QAbstractItemView::SelectedClicked |
                                QAbstractItemView::EditKeyPressed);
    m_pConfigs->setItemDelegate(new CRenameDelegate(this));
    m_pConfigs->installEventFilter(this);
    m_pAddNew = new QPushButton(QStringLiteral("&Add New"));
    m_pAddNew->setObjectName(QStringLiteral("AddNew"));
    m_pAddNew->setAutoDefault(false);
    m_pBaseFilename = Edit("BaseFilename");
    m_pFullFilename = Edit("FullFilename");
    m_pFullFilename->setReadOnly(true);
    m_pLibraryTitle = Edit("LibraryTitle");
    auto* configs = new QGroupBox(QStringLiteral("&Configurations:"));
    auto* configGrid = new QGridLayout(configs);
    configGrid->addWidget(m_pConfigs, 0, 0, 4, 1);
    configGrid->addWidget(m_pAddNew, 0, 1, 1, 2);
    configGrid->addWidget(Buddy(QStringLiteral("&Base filename:"), m_pBaseFilename), 1, 1);
    configGrid->addWidget(m_pBaseFilename, 1, 2);
    configGrid->addWidget(Buddy(QStringLiteral("&Full filename:"), m_pFullFilename), 2, 1);
    configGrid->addWidget(m_pFullFilename, 2, 2);
    configGrid->addWidget(Buddy(QStringLiteral("&Library Title:"), m_pLibraryTitle), 3, 1);
    configGrid->addWidget(m_pLibraryTitle, 3, 2);
    configGrid->setColumnStretch(2, 1);
    m_pLibraryTitle->setMinimumWidth(m_pLibraryTitle->fontMetrics().horizontalAdvance(
        QStringLiteral("NAME  :Long Name, info  ")));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->setObjectName(QStringLiteral("Buttons"));
    connect(buttons, &QDialogButtonBox::accepted, this, &CProjectSettingsDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CProjectSettingsDlg::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(compile);
    layout->addWidget(configs);
    layout->addWidget(buttons);

    // Changes made by ShowValues itself are not read back.
    const auto controlChanged = [this] {
        if (m_bInitialised) {
            ReadControls();
            ShowValues();
        }
    };
    connect(m_pType, &QComboBox::currentIndexChanged, this, controlChanged);
    connect(m_pBaseFilename, &QLineEdit::textEdited, this, controlChanged);
    connect(m_pConfigs, &QListWidget::itemSelectionChanged, this,
            &CProjectSettingsDlg::OnSelectionChanged);
    connect(m_pAddNew, &QPushButton::clicked, this, &CProjectSettingsDlg::AddNew);

    ShowValues();
    m_bInitialised = true;
}

void CProjectSettingsDlg::ReadControls()
{
    m_model.m_nType = m_pType->currentIndex();
    m_model.m_strRomId = m_pRomId->text();
    m_model.m_strBaseFilename = m_pBaseFilename->text().toLatin1();
    m_model.m_strLibraryTitle = m_pLibraryTitle->text().toLatin1();
}

void CProjectSettingsDlg::ShowValues()
{
    const bool initialised = m_bInitialised;
    m_bInitialised = false;
    m_pType->setCurrentIndex(m_model.m_nType);
    ShowText(m_pRomId, m_model.m_strRomId);
    ShowText(m_pProjectDir, m_model.m_strProjectDir);
    ShowText(m_pBaseFilename, QString::fromLatin1(m_model.m_strBaseFilename));
    ShowText(m_pLibraryTitle, QString::fromLatin1(m_model.m_strLibraryTitle));
    ShowText(m_pFullFilename, m_model.FullFilename());
    m_pRomId->setEnabled(m_model.IsRomIdEnabled());
    m_pBaseFilename->setEnabled(m_model.IsBaseFilenameEnabled());
    m_pLibraryTitle->setEnabled(m_model.IsLibraryTitleEnabled());

    // The rows, refilled only when names or order changed.
    QStringList names;
    for (int row = 0; row < m_model.RowCount(); ++row) {
        names.append(QString::fromLatin1(m_model.RowName(row)));
    }
    QStringList shown;
    for (int row = 0; row < m_pConfigs->count(); ++row) {
        shown.append(m_pConfigs->item(row)->text());
    }
    if (names != shown) {
        // An editor still open goes with its row, and its text is dropped.
        m_bRefilling = true;
        m_pConfigs->clear();
        m_bRefilling = false;
        for (int row = 0; row < names.size(); ++row) {
            auto* item = new QListWidgetItem(names.at(row), m_pConfigs);
            if (m_model.CanRename(row)) {
                item->setFlags(item->flags() | Qt::ItemIsEditable);
            }
        }
    }
    const int selected = m_model.SelectedRow();
    if (selected < 0) {
        m_pConfigs->clearSelection();
    } else if (m_pConfigs->currentRow() != selected || !m_pConfigs->item(selected)->isSelected()) {
        m_pConfigs->setCurrentRow(selected, QItemSelectionModel::ClearAndSelect);
    }
    m_bInitialised = initialised;
}

void CProjectSettingsDlg::OnSelectionChanged()
{
    if (!m_bInitialised) {
        return;
    }
    const QList<QListWidgetItem*> selected = m_pConfigs->selectedItems();
    ReadControls();
    m_model.SelectRow(selected.isEmpty() ? -1 : m_pConfigs->row(selected.first()));
    ShowValues();
}

void CProjectSettingsDlg::EndRename(int row, const QString& text)
{
    ReadControls();
    m_model.Rename(row, text.toLatin1());
    ShowValues();
}

void CProjectSettingsDlg::QueueRename(int id, const QString& text)
{
    // The list is refilled after a rename, and a refused name shows a message: neither
    // may happen while the list is still closing its editor.
    if (m_bRefilling) {
        return;
    }
    m_pendingRename = {id, text};
    QMetaObject::invokeMethod(this, &CProjectSettingsDlg::EndPendingRename, Qt::QueuedConnection);
}

void CProjectSettingsDlg::EndPendingRename()
{
    if (const auto pending = std::exchange(m_pendingRename, std::nullopt)) {
        const int row = m_model.RowOf(pending->first);
        if (row >= 0) {
            EndRename(row, pending->second);
        }
    }
}

void CProjectSettingsDlg::DeleteSelected()
{
    const QList<QListWidgetItem*> selected = m_pConfigs->selectedItems();
    if (selected.isEmpty()) {
        return;
    }
    ReadControls();
    m_model.DeleteRow(m_pConfigs->row(selected.first()));
    ShowValues();
}

void CProjectSettingsDlg::AddNew()
{
    ReadControls();
    const int row = m_model.AddNew();
    ShowValues();
    m_pConfigs->setFocus();
    if (QListWidgetItem* item = m_pConfigs->item(row)) {
        m_pConfigs->editItem(item);
    }
}

void CProjectSettingsDlg::accept()
{
    // OK pressed while a name was being typed takes that name first.
    EndPendingRename();
    ReadControls();
    if (!m_model.Apply(*m_pProject)) {
        ShowValues();
        return;
    }
    QDialog::accept();
}

bool CProjectSettingsDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_pConfigs && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
        DeleteSelected();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
