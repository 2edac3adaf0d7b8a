verdalis_version <- function() .verdalis_version()
