#include "app/design.h"

#include "pages/speed_lists.h"

namespace lintari::design {
namespace {

std::vector<std::string> comPorts() {
  std::vector<std::string> ports;
  for (int n = 1; n <= 18; ++n) ports.push_back("COM" + std::to_string(n));
  return ports;
}

}  // namespace

const std::vector<Control>& mainWindow() {
  static const std::vector<Control> controls{
      {.name = "TForm1", .kind = Kind::Window, .parent = "", .caption = "Lintari v 5.20", .width = 351, .height = 368},
      {.name = "PageControl1", .kind = Kind::PageControl, .parent = "TForm1", .left = 3, .top = 3, .width = 345, .height = 329},

      // Главная: busy tone and the init string.
      {.name = "TabSheet1", .kind = Kind::TabSheet, .parent = "PageControl1", .caption = "Главная"},
      {.name = "GroupBox1", .kind = Kind::GroupBox, .parent = "TabSheet1", .caption = "Сигнал \"Линия занята\"", .left = 24, .top = 8, .width = 297, .height = 185},
      {.name = "Label10", .kind = Kind::Label, .parent = "GroupBox1", .caption = "Минимальное время сигнала", .left = 8, .top = 22, .width = 190, .height = 16},
      {.name = "Edit2", .kind = Kind::Edit, .parent = "GroupBox1", .left = 208, .top = 18, .width = 81, .height = 22},
      {.name = "Label11", .kind = Kind::Label, .parent = "GroupBox1", .caption = "Максимальное время сигнала", .left = 8, .top = 48, .width = 190, .height = 16},
      {.name = "Edit3", .kind = Kind::Edit, .parent = "GroupBox1", .left = 208, .top = 44, .width = 81, .height = 22},
      {.name = "Label12", .kind = Kind::Label, .parent = "GroupBox1", .caption = "Минимальное время паузы", .left = 8, .top = 74, .width = 190, .height = 16},
      {.name = "Edit4", .kind = Kind::Edit, .parent = "GroupBox1", .left = 208, .top = 70, .width = 81, .height = 22},
      {.name = "Label13", .kind = Kind::Label, .parent = "GroupBox1", .caption = "Максимальное время паузы", .left = 8, .top = 100, .width = 190, .height = 16},
      {.name = "Edit5", .kind = Kind::Edit, .parent = "GroupBox1", .left = 208, .top = 96, .width = 81, .height = 22},
      {.name = "Label14", .kind = Kind::Label, .parent = "GroupBox1", .caption = "Количество циклов сигнала", .left = 8, .top = 126, .width = 190, .height = 16},
      {.name = "Edit6", .kind = Kind::Edit, .parent = "GroupBox1", .left = 208, .top = 122, .width = 81, .height = 22},
      {.name = "SpeedButton4", .kind = Kind::Button, .parent = "GroupBox1", .caption = "Считать", .left = 8, .top = 152, .width = 70, .height = 25},
      {.name = "SpeedButton5", .kind = Kind::Button, .parent = "GroupBox1", .caption = "Записать", .left = 82, .top = 152, .width = 70, .height = 25},
      {.name = "SpeedButton8", .kind = Kind::Button, .parent = "GroupBox1", .caption = "В строку", .left = 156, .top = 152, .width = 70, .height = 25},
      {.name = "LMD3DEffectButton1", .kind = Kind::Button, .parent = "GroupBox1", .caption = "Диаграмма сигнала", .left = 252, .top = 148, .width = 37, .height = 31, .enabled = false, .look = Look::Picture},
      {.name = "Label3", .kind = Kind::Label, .parent = "TabSheet1", .caption = "Строка инициализации выбранного модема:", .left = 24, .top = 200, .width = 297, .height = 16},
      {.name = "Edit1", .kind = Kind::Edit, .parent = "TabSheet1", .left = 24, .top = 218, .width = 297, .height = 22},
      {.name = "SpeedButton18", .kind = Kind::Button, .parent = "TabSheet1", .caption = "Читать", .left = 24, .top = 248, .width = 95, .height = 25},
      {.name = "SpeedButton19", .kind = Kind::Button, .parent = "TabSheet1", .caption = "Записать", .left = 125, .top = 248, .width = 95, .height = 25},
      {.name = "SpeedButton20", .kind = Kind::Button, .parent = "TabSheet1", .caption = "Очистить", .left = 226, .top = 248, .width = 95, .height = 25},

      // Уровни сигналов: transmit level and line adaptation.
      {.name = "TabSheet5", .kind = Kind::TabSheet, .parent = "PageControl1", .caption = "Уровни сигналов"},
      {.name = "LMDGroupBox1", .kind = Kind::GroupBox, .parent = "TabSheet5", .caption = "Уровень выходного сигнала модема", .left = 8, .top = 8, .width = 321, .height = 113},
      {.name = "Label2", .kind = Kind::Label, .parent = "LMDGroupBox1", .caption = "-20", .left = 8, .top = 20, .width = 30, .height = 16},
      {.name = "RxLabel1", .kind = Kind::Label, .parent = "LMDGroupBox1", .caption = "", .left = 140, .top = 20, .width = 41, .height = 16},
      {.name = "Label24", .kind = Kind::Label, .parent = "LMDGroupBox1", .caption = "-3", .left = 290, .top = 20, .width = 24, .height = 16},
      {.name = "RxSlider1", .kind = Kind::Slider, .parent = "LMDGroupBox1", .left = 8, .top = 38, .width = 305, .height = 28, .minimum = 3, .maximum = 20, .position = 13},
      {.name = "SpeedButton12", .kind = Kind::Button, .parent = "LMDGroupBox1", .caption = "Считать", .left = 8, .top = 78, .width = 97, .height = 25},
      {.name = "SpeedButton13", .kind = Kind::Button, .parent = "LMDGroupBox1", .caption = "Записать", .left = 112, .top = 78, .width = 97, .height = 25},
      {.name = "SpeedButton14", .kind = Kind::Button, .parent = "LMDGroupBox1", .caption = "В строку", .left = 216, .top = 78, .width = 97, .height = 25},
      {.name = "LMDGroupBox2", .kind = Kind::GroupBox, .parent = "TabSheet5", .caption = "Дополнительно", .left = 8, .top = 124, .width = 321, .height = 161, .enabled = false},
      {.name = "RxLabel2", .kind = Kind::Label, .parent = "LMDGroupBox2", .caption = "Уровень агрессивности", .left = 8, .top = 18, .width = 200, .height = 16},
      {.name = "RxLabel6", .kind = Kind::Label, .parent = "LMDGroupBox2", .caption = "-4", .left = 8, .top = 34, .width = 24, .height = 16},
      {.name = "RxLabel8", .kind = Kind::Label, .parent = "LMDGroupBox2", .caption = "0", .left = 156, .top = 34, .width = 12, .height = 16},
      {.name = "RxLabel7", .kind = Kind::Label, .parent = "LMDGroupBox2", .caption = "4", .left = 300, .top = 34, .width = 12, .height = 16},
      {.name = "RxSlider2", .kind = Kind::Slider, .parent = "LMDGroupBox2", .left = 8, .top = 50, .width = 305, .height = 24, .minimum = 1, .maximum = 9, .position = 1},
      {.name = "RxLabel3", .kind = Kind::Label, .parent = "LMDGroupBox2", .caption = "Детектор помех в линии", .left = 8, .top = 76, .width = 200, .height = 16},
      {.name = "RxLabel9", .kind = Kind::Label, .parent = "LMDGroupBox2", .caption = "-4", .left = 8, .top = 92, .width = 24, .height = 16},
      {.name = "RxLabel11", .kind = Kind::Label, .parent = "LMDGroupBox2", .caption = "0", .left = 156, .top = 92, .width = 12, .height = 16},
      {.name = "RxLabel10", .kind = Kind::Label, .parent = "LMDGroupBox2", .caption = "4", .left = 300, .top = 92, .width = 12, .height = 16},
      {.name = "RxSlider3", .kind = Kind::Slider, .parent = "LMDGroupBox2", .left = 8, .top = 108, .width = 305, .height = 24, .minimum = 1, .maximum = 9, .position = 1},
      {.name = "SpeedButton15", .kind = Kind::Button, .parent = "LMDGroupBox2", .caption = "Считать", .left = 8, .top = 132, .width = 97, .height = 25},
      {.name = "SpeedButton16", .kind = Kind::Button, .parent = "LMDGroupBox2", .caption = "Записать", .left = 112, .top = 132, .width = 97, .height = 25},
      {.name = "SpeedButton17", .kind = Kind::Button, .parent = "LMDGroupBox2", .caption = "В строку", .left = 216, .top = 132, .width = 97, .height = 25},

      // Регистры +: the extended registers.
      {.name = "TabSheet2", .kind = Kind::TabSheet, .parent = "PageControl1", .caption = "Регистры +"},
      {.name = "GroupBox3", .kind = Kind::GroupBox, .parent = "TabSheet2", .caption = "Русские регистры", .left = 8, .top = 0, .width = 201, .height = 273},
      {.name = "Label23", .kind = Kind::Label, .parent = "GroupBox3", .caption = "S216", .left = 8, .top = 16, .width = 40, .height = 16},
      {.name = "CheckListBox1", .kind = Kind::CheckListBox, .parent = "GroupBox3", .left = 8, .top = 32, .width = 185, .height = 100,
       .items = {"Dis. Power Drop", "Dis. 15 dB txlevel", "Dis. offset", "not used", "not used", "Noise Filters", "Noise Filters", "Max speed"}},
      {.name = "Label5", .kind = Kind::Label, .parent = "GroupBox3", .caption = "S218", .left = 8, .top = 134, .width = 40, .height = 16},
      {.name = "Button1", .kind = Kind::Button, .parent = "GroupBox3", .caption = "Считать", .left = 8, .top = 244, .width = 59, .height = 23},
      {.name = "SpeedButton2", .kind = Kind::Button, .parent = "GroupBox3", .caption = "Записать", .left = 71, .top = 244, .width = 59, .height = 23},
      {.name = "SpeedButton7", .kind = Kind::Button, .parent = "GroupBox3", .caption = "В строку", .left = 134, .top = 244, .width = 59, .height = 23},
      // On the page itself, over the group: it lies outside GroupBox3.
      {.name = "CheckListBox2", .kind = Kind::CheckListBox, .parent = "TabSheet2", .left = 16, .top = 152, .width = 185, .height = 88,
       .items = {"listen renegs", "show renegs", "disabled", "disabled", "disabled", "disabled", "disabled", "disabled"}},
      {.name = "RxLabel5", .kind = Kind::Label, .parent = "TabSheet2", .caption = "Информация:", .left = 216, .top = 8, .width = 113, .height = 16, .look = Look::Underlined},
      {.name = "RxLabel4", .kind = Kind::Label, .parent = "TabSheet2",
       .caption = "Дополнительные\nрегистры введены\nтолько в русские\nверсии микропро-\nграмм для модемов\nсерии TRVK1, \nTRVK2 и Kelvane@56k",
       .left = 216, .top = 28, .width = 121, .height = 120},

      // Скорость: the connection speed.
      {.name = "TabSheet4", .kind = Kind::TabSheet, .parent = "PageControl1", .caption = "Скорость"},
      {.name = "GroupBox4", .kind = Kind::GroupBox, .parent = "TabSheet4", .caption = "Параметры скорости соединения", .left = 8, .top = 8, .width = 321, .height = 233},
      {.name = "Label6", .kind = Kind::Label, .parent = "GroupBox4", .caption = "Выбранный протокол", .left = 8, .top = 24, .width = 200, .height = 16},
      {.name = "ComboBox2", .kind = Kind::ComboBox, .parent = "GroupBox4", .left = 216, .top = 20, .width = 97, .height = 22, .items = {"V32", "V32b", "V34", "V90", "V92"}},
      {.name = "Label25", .kind = Kind::Label, .parent = "GroupBox4", .caption = "Автоматический выбор", .left = 8, .top = 50, .width = 200, .height = 16},
      {.name = "ComboBox9", .kind = Kind::ComboBox, .parent = "GroupBox4", .left = 216, .top = 46, .width = 97, .height = 22, .items = {"Нет", "Да"}},
      {.name = "Label26", .kind = Kind::Label, .parent = "GroupBox4", .caption = "Минимальная скорость приема", .left = 8, .top = 76, .width = 200, .height = 16},
      {.name = "ComboBox3", .kind = Kind::ComboBox, .parent = "GroupBox4", .left = 216, .top = 72, .width = 97, .height = 22, .items = initialReceiveList()},
      {.name = "Label27", .kind = Kind::Label, .parent = "GroupBox4", .caption = "Максимальная скорость приема", .left = 8, .top = 102, .width = 200, .height = 16},
      {.name = "ComboBox4", .kind = Kind::ComboBox, .parent = "GroupBox4", .left = 216, .top = 98, .width = 97, .height = 22, .items = initialReceiveList()},
      {.name = "Label28", .kind = Kind::Label, .parent = "GroupBox4", .caption = "Минимальная скорость передачи", .left = 8, .top = 128, .width = 200, .height = 16},
      {.name = "ComboBox5", .kind = Kind::ComboBox, .parent = "GroupBox4", .left = 216, .top = 124, .width = 97, .height = 22, .items = initialLowTransmitList()},
      {.name = "Label29", .kind = Kind::Label, .parent = "GroupBox4", .caption = "Максимальная скорость передачи", .left = 8, .top = 154, .width = 200, .height = 16},
      {.name = "ComboBox6", .kind = Kind::ComboBox, .parent = "GroupBox4", .left = 216, .top = 150, .width = 97, .height = 22, .items = initialHighTransmitList()},
      {.name = "Label30", .kind = Kind::Label, .parent = "GroupBox4", .caption = "Символьная скорость (макс)", .left = 8, .top = 180, .width = 200, .height = 16},
      {.name = "ComboBox8", .kind = Kind::ComboBox, .parent = "GroupBox4", .left = 216, .top = 176, .width = 97, .height = 22, .items = {"2400", "2800", "3000", "3200", "3429"}},
      {.name = "SpeedButton9", .kind = Kind::Button, .parent = "GroupBox4", .caption = "Считать", .left = 8, .top = 202, .width = 97, .height = 25},
      {.name = "SpeedButton10", .kind = Kind::Button, .parent = "GroupBox4", .caption = "Записать", .left = 112, .top = 202, .width = 97, .height = 25},
      {.name = "SpeedButton11", .kind = Kind::Button, .parent = "GroupBox4", .caption = "В строку", .left = 216, .top = 202, .width = 97, .height = 25},

      // Информация: identification texts and the links.
      {.name = "TabSheet3", .kind = Kind::TabSheet, .parent = "PageControl1", .caption = "Информация"},
      {.name = "Label1", .kind = Kind::Label, .parent = "TabSheet3", .caption = "Lintari  v.5.20", .left = 8, .top = 16, .width = 200, .height = 16},
      {.name = "Label7", .kind = Kind::Label, .parent = "TabSheet3", .caption = "Обнаружен модем:", .left = 8, .top = 40, .width = 110, .height = 16, .look = Look::Red},
      {.name = "Label15", .kind = Kind::Label, .parent = "TabSheet3", .caption = "стандартный модем", .left = 120, .top = 40, .width = 210, .height = 16},
      {.name = "Label8", .kind = Kind::Label, .parent = "TabSheet3", .caption = "Серия :", .left = 8, .top = 64, .width = 40, .height = 16, .look = Look::Red},
      {.name = "Label16", .kind = Kind::Label, .parent = "TabSheet3", .caption = "стандартная, Conexant", .left = 48, .top = 64, .width = 280, .height = 16},
      {.name = "Label9", .kind = Kind::Label, .parent = "TabSheet3", .caption = "Версия микропрограммы:", .left = 8, .top = 88, .width = 136, .height = 16, .look = Look::Red},
      {.name = "Label17", .kind = Kind::Label, .parent = "TabSheet3", .caption = "стандартная", .left = 144, .top = 88, .width = 190, .height = 16},
      {.name = "SpeedButton21", .kind = Kind::Button, .parent = "TabSheet3", .caption = "Модем", .left = 8, .top = 112, .width = 97, .height = 25},
      {.name = "SpeedButton6", .kind = Kind::Button, .parent = "TabSheet3", .caption = "Определить модель модема", .left = 120, .top = 112, .width = 161, .height = 25},
      {.name = "GroupBox2", .kind = Kind::GroupBox, .parent = "TabSheet3", .caption = "", .left = 8, .top = 144, .width = 321, .height = 129},
      {.name = "Label18", .kind = Kind::Label, .parent = "GroupBox2", .caption = "Наши координаты:", .left = 8, .top = 48, .width = 200, .height = 16},
      {.name = "Label19", .kind = Kind::Label, .parent = "GroupBox2", .caption = "Сайт бета-тестеров :", .left = 8, .top = 72, .width = 110, .height = 16},
      {.name = "Label20", .kind = Kind::Label, .parent = "GroupBox2", .caption = std::string(kBetaTestersSite), .left = 120, .top = 72, .width = 196, .height = 16, .look = Look::Link},
      {.name = "Label21", .kind = Kind::Label, .parent = "GroupBox2", .caption = "Сайт Brevant :", .left = 8, .top = 96, .width = 110, .height = 16},
      {.name = "Label22", .kind = Kind::Label, .parent = "GroupBox2", .caption = std::string(kMakerSite), .left = 120, .top = 96, .width = 196, .height = 16, .look = Look::Link},

      // Дополнительно: tone dialling speed.
      {.name = "TabSheet6", .kind = Kind::TabSheet, .parent = "PageControl1", .caption = "Дополнительно"},
      {.name = "GroupBox5", .kind = Kind::GroupBox, .parent = "TabSheet6", .caption = "Скорость тонального набора", .left = 8, .top = 8, .width = 313, .height = 113},
      {.name = "Label31", .kind = Kind::Label, .parent = "GroupBox5", .caption = "0", .left = 8, .top = 20, .width = 24, .height = 16},
      {.name = "RxLabel12", .kind = Kind::Label, .parent = "GroupBox5", .caption = "", .left = 140, .top = 20, .width = 41, .height = 16},
      {.name = "Label32", .kind = Kind::Label, .parent = "GroupBox5", .caption = "100", .left = 278, .top = 20, .width = 28, .height = 16},
      {.name = "RxSlider4", .kind = Kind::Slider, .parent = "GroupBox5", .left = 8, .top = 38, .width = 297, .height = 28, .minimum = 3, .maximum = 100, .position = 13},
      {.name = "SpeedButton22", .kind = Kind::Button, .parent = "GroupBox5", .caption = "Считать", .left = 8, .top = 78, .width = 95, .height = 25},
      {.name = "SpeedButton23", .kind = Kind::Button, .parent = "GroupBox5", .caption = "Записать", .left = 109, .top = 78, .width = 95, .height = 25},
      {.name = "SpeedButton24", .kind = Kind::Button, .parent = "GroupBox5", .caption = "В строку", .left = 210, .top = 78, .width = 95, .height = 25},

      // Below the pages.
      {.name = "SpeedButton1", .kind = Kind::Button, .parent = "TForm1", .caption = "Помощь", .left = 112, .top = 336, .width = 113, .height = 25},
      {.name = "SpeedButton3", .kind = Kind::Button, .parent = "TForm1", .caption = "Выход", .left = 232, .top = 336, .width = 113, .height = 25},

      // Non-visual parts.
      {.name = "VaComm", .kind = Kind::Component, .parent = "TForm1"},
      {.name = "VaModem1", .kind = Kind::Component, .parent = "TForm1"},
      {.name = "AppEvents1", .kind = Kind::Component, .parent = "TForm1"},
      {.name = "RxTrayIcon1", .kind = Kind::TrayIcon, .parent = "TForm1"},
      {.name = "RxPopupMenu1", .kind = Kind::PopupMenu, .parent = "TForm1"},
      {.name = "N1", .kind = Kind::MenuItem, .parent = "RxPopupMenu1", .caption = "Развернуть"},
      {.name = "N2", .kind = Kind::MenuItem, .parent = "RxPopupMenu1", .caption = "Выход"},
  };
  return controls;
}

const std::vector<Control>& setupWindow() {
  static const std::vector<Control> controls{
      {.name = "TForm2", .kind = Kind::Window, .parent = "", .caption = "Установка", .width = 435, .height = 144},
      {.name = "Label1", .kind = Kind::Label, .parent = "TForm2", .caption = "Выберите пожалуйста установленный модем:", .left = 8, .top = 8, .width = 419, .height = 16},
      {.name = "ComboBox1", .kind = Kind::ComboBox, .parent = "TForm2", .left = 8, .top = 26, .width = 419, .height = 22},
      {.name = "Label2", .kind = Kind::Label, .parent = "TForm2", .caption = "Выберите порт к которому подключен модем", .left = 8, .top = 60, .width = 300, .height = 16},
      {.name = "ComboBox2", .kind = Kind::ComboBox, .parent = "TForm2", .left = 322, .top = 56, .width = 105, .height = 22, .items = comPorts()},
      {.name = "Label3", .kind = Kind::Label, .parent = "TForm2", .caption = "Выберите серию модема ", .left = 8, .top = 88, .width = 300, .height = 16},
      {.name = "ComboBox3", .kind = Kind::ComboBox, .parent = "TForm2", .left = 322, .top = 84, .width = 105, .height = 22, .items = {"TRVK1", "TRVK2", "Kelvane"}},
      {.name = "Button1", .kind = Kind::Button, .parent = "TForm2", .caption = "Сделать выбранный модем - текущим", .left = 8, .top = 114, .width = 419, .height = 25},
      {.name = "LMDSysInfo1", .kind = Kind::Component, .parent = "TForm2"},
  };
  return controls;
}

const std::vector<Control>& diagramWindow() {
  static const std::vector<Control> controls{
      {.name = "TForm4", .kind = Kind::Window, .parent = "", .caption = "Сигнал \"Занято\"", .width = 379, .height = 351},
      {.name = "Shape1", .kind = Kind::Shape, .parent = "TForm4", .left = 0, .top = 0, .width = 369, .height = 201},
      {.name = "LMDTechnicalLine1", .kind = Kind::Line, .parent = "TForm4", .left = 0, .top = 74, .width = 369, .height = 45},
      {.name = "LMDShapeControl1", .kind = Kind::Shape, .parent = "TForm4", .left = 40, .top = 24, .width = 120, .height = 73},
      {.name = "LMDShapeControl2", .kind = Kind::Shape, .parent = "TForm4", .left = 40, .top = 96, .width = 121, .height = 73},
      {.name = "RxLabel1", .kind = Kind::Label, .parent = "TForm4", .caption = "Минимальное время сигнала:", .left = 8, .top = 208, .width = 165, .height = 16},
      {.name = "RxLabel2", .kind = Kind::Label, .parent = "TForm4", .caption = "Максимальное время сигнала:", .left = 8, .top = 232, .width = 165, .height = 16},
      {.name = "RxLabel3", .kind = Kind::Label, .parent = "TForm4", .caption = "Минимальное время паузы", .left = 8, .top = 256, .width = 165, .height = 16},
      {.name = "RxLabel4", .kind = Kind::Label, .parent = "TForm4", .caption = "Максимальное время паузы", .left = 8, .top = 280, .width = 165, .height = 16},
      {.name = "RxLabel5", .kind = Kind::Label, .parent = "TForm4", .caption = "0", .left = 176, .top = 208, .width = 80, .height = 16},
      {.name = "RxLabel6", .kind = Kind::Label, .parent = "TForm4", .caption = "0", .left = 176, .top = 232, .width = 80, .height = 16},
      {.name = "RxLabel7", .kind = Kind::Label, .parent = "TForm4", .caption = "0", .left = 176, .top = 256, .width = 80, .height = 16},
      {.name = "RxLabel8", .kind = Kind::Label, .parent = "TForm4", .caption = "0", .left = 176, .top = 280, .width = 80, .height = 16},
      {.name = "RxLabel9", .kind = Kind::Label, .parent = "TForm4", .caption = "Длительность гудка в сигнале \"Линия занята\"", .left = 80, .top = 8, .width = 285, .height = 16},
      {.name = "RxLabel10", .kind = Kind::Label, .parent = "TForm4", .caption = "Длительность паузы в сигнале \"Линия занята\"", .left = 56, .top = 176, .width = 305, .height = 16},
      {.name = "SpeedButton1", .kind = Kind::Button, .parent = "TForm4", .caption = "Внести значения", .left = 8, .top = 296, .width = 161, .height = 22},
  };
  return controls;
}

const Control* find(const std::vector<Control>& window, std::string_view name) {
  for (const Control& c : window) {
    if (c.name == name) return &c;
  }
  return nullptr;
}

}  // namespace lintari::design
