# Post-race editing arithmetic (QtCore only).
list(APPEND SW_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/LapEditing.cpp
)
