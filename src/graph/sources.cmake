# The graph's rules and the 16-colour palette (QtCore only).
list(APPEND SW_CORE_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/GraphRules.cpp
)
