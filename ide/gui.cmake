# zelk: the Qt Widgets program. Every Qt source of the IDE (ide/shell and the
# ui/ folder of each subsystem) goes into one object library, zelkui, so that
# windows registering themselves with static registrars are always linked;
# the program is main.cpp over it, and the widget tests link the same objects.
file(GLOB ZELKUI_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_CURRENT_SOURCE_DIR}/shell/*.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/shell/*.h
  ${CMAKE_CURRENT_SOURCE_DIR}/*/ui/*.cpp
  ${CMAKE_CURRENT_SOURCE_DIR}/*/ui/*.h)
list(REMOVE_ITEM ZELKUI_SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/shell/main.cpp)
add_library(zelkui OBJECT ${ZELKUI_SOURCES} ${CMAKE_CURRENT_SOURCE_DIR}/shell/zelk.qrc)
set_target_properties(zelkui PROPERTIES AUTOMOC ON AUTORCC ON)
target_include_directories(zelkui PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(zelkui PUBLIC zelkcore as11core Qt6::Widgets Qt6::SerialPort Qt6::PrintSupport Qt6::Svg)
target_compile_definitions(zelkui PUBLIC ZELK_VERSION="${PROJECT_VERSION}")

add_executable(zelk ${CMAKE_CURRENT_SOURCE_DIR}/shell/main.cpp)
target_link_libraries(zelk PRIVATE zelkui)

# The help file lives beside the program.
set(ZELK_HELP_SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/shell/ZELK.html)
add_custom_command(TARGET zelk POST_BUILD
  COMMAND ${CMAKE_COMMAND} -E copy_if_different ${ZELK_HELP_SOURCE} $<TARGET_FILE_DIR:zelk>/ZELK.html
  COMMENT "Help file beside zelk")
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${ZELK_HELP_SOURCE})

# The Qt headers nearly every window parses, precompiled once for zelkui.
if(ZELK_PCH)
  target_precompile_headers(zelkui PRIVATE
    <QApplication> <QMainWindow> <QMdiArea> <QMdiSubWindow> <QAction> <QMenu>
    <QLabel> <QLineEdit> <QPushButton> <QVBoxLayout> <QHBoxLayout> <QKeyEvent>
    <QTreeWidget> <QComboBox> <QCheckBox> <QTimer> <QFileInfo> <QPainter>
    <string> <vector> <memory> <functional>)
endif()
