;;; ACAD2004DOC.LSP - demo document start-up file
;;; Loaded into every drawing of the demo AutoCAD.
(defun s::startup () (princ))
(princ)
