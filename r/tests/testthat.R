library(testthat)
library(verdalis)

test_check("verdalis")
