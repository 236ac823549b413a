# The live timing page server: the snapshot and its JSON, the HTTP and
# WebSocket server with its page compiled in, and the link as a QR code.
# Its own library on the core (the snapshot is made from the race); the
# windows link it for Options > "Share Live Timing…".
find_package(Qt6 REQUIRED COMPONENTS Network HttpServer WebSockets Gui)
find_package(PkgConfig REQUIRED)
pkg_check_modules(QRENCODE REQUIRED IMPORTED_TARGET libqrencode)

add_library(splitwatch_share STATIC
  ${CMAKE_CURRENT_LIST_DIR}/LiveView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LiveTimingServer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QrCode.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LiveViewOfRace.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LiveSharing.cpp
  ${CMAKE_CURRENT_LIST_DIR}/share_page.qrc
)
set_target_properties(splitwatch_share PROPERTIES AUTORCC ON)
target_link_libraries(splitwatch_share PUBLIC splitwatch_core Qt6::Network Qt6::HttpServer
                      Qt6::WebSockets Qt6::Gui PRIVATE PkgConfig::QRENCODE)
target_compile_options(splitwatch_share PRIVATE -Wall -Wextra)
