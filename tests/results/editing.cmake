sw_add_test(tst_lapediting splitwatch_core ${CMAKE_CURRENT_LIST_DIR}/tst_lapediting.cpp)
