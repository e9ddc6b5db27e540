# The Qt layer: drawing surfaces, controls, dialogs, printing and the two programs.
