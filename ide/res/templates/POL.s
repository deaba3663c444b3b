* POL Block: a parameterized outer loop that runs until the user presses ON.
*
  FALSE
  { LAM Exit } BIND              ( exit flag of the loop )
  ' NOP                          ( AppDisplay: redraw the screen )
  ' ::                           ( AppKeys: #KeyCode #Plane --> KeyDef TRUE | FALSE )
      kpNoShift #=casedrop
      ::
        kcOn ?CaseKeyDef
          :: TakeOver TRUE ' LAM Exit STO ;
        DROP FALSE
      ;
      2DROP FALSE
    ;
  TrueTrue                       ( NonAppKeyOK? DoStdKeys? )
  NULL{}                         ( AppMenu: none )
  ONE                            ( #AppMenuPage )
  FALSE                          ( SuspendOK? )
  ' LAM Exit                     ( ExitCond )
  ' ERRJMP                       ( AppError )
  ParOuterLoop
  ABND
