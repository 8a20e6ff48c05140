; Demo AutoCAD start-up file for the installer demonstration.
(princ "\nDemo AutoCAD session started.")
(princ)
