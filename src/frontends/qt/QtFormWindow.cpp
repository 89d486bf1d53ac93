#include "QtFormWindow.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>
#include <algorithm>
#include <array>
#include <exception>
#include <stdexcept>
#include <utility>
#include <vector>

#include "DrawnIcons.h"
#include "PathLineEdit.h"
#include "QtText.h"
#include "ResultListModel.h"
#include "TitledFrame.h"
#include "Twips.h"
#include "UiFont.h"
#include "app/ClickHandlers.h"
#include "ports/Failure.h"

namespace brivanto::qt {
namespace {

using layout::ControlKind;
using layout::ControlLayout;

bool TakesFocus(const ControlLayout& control) {
  return control.kind != ControlKind::Label && control.kind != ControlKind::Frame;
}

QWidget* CreateLabel(const ControlLayout& control, QWidget& container) {
  auto* label = new QLabel(ToQString(control.caption), &container);
  label->setTextFormat(Qt::PlainText);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  return label;
}

QWidget* CreatePictureButton(const QIcon& icon, QWidget& container) {
  auto* button = new QToolButton(&container);
  button->setIcon(icon);
  button->setIconSize(QSize(layout::kIconPixels, layout::kIconPixels));
  button->setFocusPolicy(Qt::StrongFocus);
  return button;
}

QWidget* CreateTextBox(const ControlLayout& control, QWidget& container) {
  if (control.name == "txtPath") {
    return new PathLineEdit(&container);
  }
  if (control.name == "txtQuery") {
    auto* query = new QPlainTextEdit(&container);
    // Tab leaves the box, as in every other control of the window.
    query->setTabChangesFocus(true);
    return query;
  }
  auto* box = new QLineEdit(&container);
  // The image folder changes through its browse button only.
  box->setReadOnly(control.name == "txtDir");
  return box;
}

}  // namespace

QtFormWindow::QtFormWindow(const app::Services& services, QWidget* parent)
    : QWidget(parent), logic_(*this, services) {
  setWindowTitle(ToQString(layout::kDesignCaption));
  setWindowIcon(QIcon(DatabasePixmap()));
  // Before the controls, which take it over: their sizes are made for this font.
  setFont(UiFont());
  setFixedSize(PixelsX(layout::kClientWidth), PixelsY(layout::kClientHeight));
  CreateControls();
  OrderTabStops();
  ConnectHandlers();
}

QtFormWindow::~QtFormWindow() = default;

bool QtFormWindow::Load() {
  return logic_.Form_Load();
}

void QtFormWindow::CreateControls() {
  const QIcon folderIcon(FolderPixmap());
  const auto create = [&](const ControlLayout& control) {
    auto& container = control.container == layout::kWindowName ? static_cast<QWidget&>(*this)
                                                               : Find<QWidget>(control.container);
    QWidget* widget = CreateControl(control, container, folderIcon);
    widget->setObjectName(ToQString(control.name));
    widget->setGeometry(PixelsX(control.left), PixelsY(control.top), PixelsX(control.width),
                        PixelsY(control.height));
  };
  // Frames first: they contain other controls.
  for (const auto& control : layout::kControls) {
    if (control.kind == ControlKind::Frame) {
      create(control);
    }
  }
  for (const auto& control : layout::kControls) {
    if (control.kind != ControlKind::Frame) {
      create(control);
    }
  }
  frmMaintenance_ = &Find<QGroupBox>("frmMaintenance");
  frmMaintenance_->hide();
  txtPath_ = &Find<PathLineEdit>("txtPath");
  txtDir_ = &Find<QLineEdit>("txtDir");
  txtQuery_ = &Find<QPlainTextEdit>("txtQuery");
  cmdMaintenance_ = &Find<QPushButton>("cmdMaintenance");
  Find<QWidget>("btnSelectPath").setToolTip(ToQString(layout::kPathTooltip));
}

QWidget* QtFormWindow::CreateControl(const ControlLayout& control, QWidget& container,
                                     const QIcon& folderIcon) {
  switch (control.kind) {
    case ControlKind::Frame:
      return new TitledFrame(ToQString(control.caption), &container);
    case ControlKind::Button:
      return new QPushButton(ToQString(control.caption), &container);
    case ControlKind::PictureButton:
      return CreatePictureButton(folderIcon, container);
    case ControlKind::TextBox:
      return CreateTextBox(control, container);
    case ControlKind::ListBox:
      return CreateResultList(container);
    case ControlKind::Label:
      break;
  }
  return CreateLabel(control, container);
}

QWidget* QtFormWindow::CreateResultList(QWidget& container) {
  auto* list = new QListView(&container);
  list->setSelectionMode(QAbstractItemView::ExtendedSelection);
  list->setEditTriggers(QAbstractItemView::NoEditTriggers);
  // With rows of one height the view never measures a million rows one by one.
  list->setUniformItemSizes(true);
  results_ = new ResultListModel(list);
  list->setModel(results_);
  results_->WatchSelection(list->selectionModel());
  return list;
}

void QtFormWindow::OrderTabStops() {
  std::vector<const ControlLayout*> stops;
  for (const auto& control : layout::kControls) {
    if (TakesFocus(control)) {
      stops.push_back(&control);
    }
  }
  std::sort(stops.begin(), stops.end(),
            [](const auto* left, const auto* right) { return left->tabIndex < right->tabIndex; });
  for (std::size_t i = 1; i < stops.size(); ++i) {
    setTabOrder(&Find<QWidget>(stops[i - 1]->name), &Find<QWidget>(stops[i]->name));
  }
  // The first stop has the focus when the window opens.
  Find<QWidget>(stops.front()->name).setFocus();
}

void QtFormWindow::ConnectHandlers() {
  for (const auto& [name, handler] : app::kClickHandlers) {
    connect(&Find<QAbstractButton>(name), &QAbstractButton::clicked, this,
            [this, click = handler] { logic_.RunHandler([this, click] { (logic_.*click)(); }); });
  }
  // textEdited, unlike textChanged, leaves out the changes the logic makes through the view.
  connect(txtPath_, &QLineEdit::textEdited, this,
          [this] { logic_.RunHandler([this] { logic_.txtPath_Change(); }); });
  txtPath_->SetDropHandler([this](const auto& files, app::KeyModifiers modifiers) {
    logic_.RunHandler([&] { logic_.txtPath_OLEDragDrop(files, modifiers); });
  });
}

void QtFormWindow::closeEvent(QCloseEvent* event) {
  bool cancel = false;
  logic_.RunHandler([&] { logic_.Form_Unload(cancel); });
  event->setAccepted(!cancel);
}

int QtFormWindow::PixelsX(int twips) const {
  return TwipsToPixels(twips, logicalDpiX());
}

int QtFormWindow::PixelsY(int twips) const {
  return TwipsToPixels(twips, logicalDpiY());
}

template <typename Control>
Control& QtFormWindow::Find(std::string_view name) const {
  auto* control = findChild<Control*>(ToQString(name));
  if (control == nullptr) {
    throw std::logic_error("The window has no control " + std::string(name));
  }
  return *control;
}

std::intptr_t QtFormWindow::WindowHandle() const {
  return static_cast<std::intptr_t>(winId());
}

void QtFormWindow::SetCaption(const std::string& caption) {
  setWindowTitle(ToQString(caption));
}

void QtFormWindow::SetWindowHeightTwips(int outerHeight) {
  // The frame is what the window manager adds around the widget; it is 0 until one does.
  const int frameHeight = frameGeometry().height() - geometry().height();
  setFixedHeight(std::max(0, PixelsY(outerHeight) - frameHeight));
}

std::string QtFormWindow::PathText() const {
  return ToStdString(txtPath_->text());
}

void QtFormWindow::SetPathText(const std::string& text) {
  txtPath_->setText(ToQString(text));
}

std::string QtFormWindow::DirText() const {
  return ToStdString(txtDir_->text());
}

void QtFormWindow::SetDirText(const std::string& text) {
  txtDir_->setText(ToQString(text));
}

bool QtFormWindow::IsMaintenanceVisible() const {
  return !frmMaintenance_->isHidden();
}

void QtFormWindow::SetMaintenanceVisible(bool visible) {
  frmMaintenance_->setVisible(visible);
}

void QtFormWindow::SetMaintenanceCaption(const std::string& caption) {
  cmdMaintenance_->setText(ToQString(caption));
}

std::string QtFormWindow::QueryText() const {
  return ToStdString(txtQuery_->toPlainText());
}

void QtFormWindow::SetQueryText(const std::string& text) {
  txtQuery_->setPlainText(ToQString(text));
}

ports::ResultList& QtFormWindow::Results() {
  return *results_;
}

}  // namespace brivanto::qt
