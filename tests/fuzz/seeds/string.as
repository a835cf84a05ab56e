var s = "never closed
