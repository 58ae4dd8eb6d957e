# Loading and saving a 2,000 x 2,000-point ILDA file against reading the same bytes.
trellion_add_bench(ildabench SOURCES ${CMAKE_CURRENT_LIST_DIR}/ildabench.cpp LIBS trellion_ilda)
