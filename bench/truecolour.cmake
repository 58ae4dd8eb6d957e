# Loading a 2,000 x 2,000-point true-colour ILDA file against the same points in format 0.
trellion_add_bench(truecolourbench SOURCES ${CMAKE_CURRENT_LIST_DIR}/truecolourbench.cpp
    LIBS trellion_ilda)
