! The GFF file of the GFF test model (tests/output/gff_fixture.h) as it must be
! written: header, then a block at TIMEN = 0 and a block at TIMEN = 3600 in
! which node 1's temperature is 21.25. Every real field is written here by
! gfortran with G12.6 and stripped of its blanks; zero gives 0.0 and an
! undefined value NULL. Also a table of one real per line through the
! real formats "(G12.6)" and "(1PE12.4 )" (a FORMAT of seven characters).
! Output: two_submodels.GFF and setvu_fields.txt in the working directory.
program gff_file
  implicit none
  integer, parameter :: nt = 5, nf = 2, u = 20
  character(len=5000) :: row
  integer :: rl, i, j, blk
  double precision :: tr(16, nt), fr(21, nf), tflux(nt), fflux(nf), timen, undef
  integer :: tcount(nt), fcount(nf), tnum(nt), fnum(nf), tmod(nt), iu(2)
  character(len=24) :: tlab(nt), flab(nf), ttag(nt), ftag(nf), ftyp(nf)
  character(len=4) :: freg(nf), fdesc(nf)
  character(len=1) :: tst(nt)
  character(len=*), parameter :: tmaps(2) = (/ 'A', 'I' /)
  double precision :: vals(12)

  iu = (/ 2147483647, 0 /)
  undef = transfer(iu, undef)

  tnum = (/ 10, 20, 1, 2, 5 /)
  tmod = (/ 1, 1, 2, 2, 3 /)
  tst = (/ 'D', 'B', 'D', 'C', 'X' /)
  tlab(1) = 'BASE PLATE'; tlab(2) = ' '; tlab(3) = ' PANEL  A'; tlab(4) = 'EDGE'; tlab(5) = 'RADIATOR'
  ttag(1) = 'hot'; ttag(2) = ' '; ttag(3) = ' a b '; ttag(4) = 'edge'; ttag(5) = 'R'
  tflux = (/ 1.0d-7, 123456789.0d0, 0.1d0, 0.0d0, -0.000123d0 /)
  tcount = (/ 3, -1, 0, 4, 2147483646 /)
  ! T C QA QE QI QS QR A ALP EPS QAI QEI QSI X Y Z
  tr(:, 1) = (/ 20.5d0, 1500.0d0, 0.0d0, 0.0d0, 12.75d0, 0.0d0, 0.0d0, 0.25d0, 0.3d0, 0.85d0, &
                0.0d0, 0.0d0, 1366.1d0, 0.0d0, 0.1d0, -0.05d0 /)
  tr(:, 2) = (/ -270.0d0, undef, 0.0d0, 0.0d0, 0.0d0, 0.0d0, 0.0d0, 0.0d0, 0.0d0, 0.0d0, &
                0.0d0, 0.0d0, 0.0d0, 0.0d0, 0.0d0, 0.0d0 /)
  tr(:, 3) = (/ 99999.95d0, 0.001d0, 0.5d0, -0.5d0, -3.333333333d0, 7.0d0, 1.0d20, 1.0d0, 0.9d0, 0.1d0, &
                1.5d0, 2.5d0, 3.5d0, 1.0d-20, -1.0d0, 1.0d0 /)
  tr(:, 4) = (/ 1.0d0, 1.0d0, 0.0d0, 0.0d0, 0.0d0, 0.0d0, 0.0d0, 0.0d0, 0.0d0, 0.0d0, &
                0.0d0, 0.0d0, 0.0d0, 0.0d0, 0.0d0, 0.0d0 /)
  tr(:, 5) = (/ -40.0d0, 2500.0d0, 0.0d0, 0.0d0, 0.0d0, 0.0d0, 0.0d0, 2.0d0, 0.2d0, 0.9d0, &
                0.0d0, 0.0d0, 0.0d0, 0.5d0, 0.5d0, 0.5d0 /)

  fnum = (/ 100, 200 /)
  flab(1) = 'INLET'; flab(2) = 'OUTLET'
  ftyp(1) = 'WATER'; ftyp(2) = 'AMMONIA'
  freg(1) = 'LAM'; freg(2) = 'TURB'
  fdesc(1) = 'L'; fdesc(2) = 'V'
  ftag(1) = 'in'; ftag(2) = ' '
  fflux = (/ 2.0d0, 0.0d0 /)
  fcount = (/ 7, -7 /)
  ! T HTA D L P H RUF Q MS MSH MST X Y Z VQ FA VOL RH MSSH CMP VDT
  fr(:, 1) = (/ 15.0d0, 0.5d0, 0.01d0, 2.0d0, 101325.0d0, 63000.0d0, 1.0d-5, 0.0d0, 0.0d0, 0.0d0, &
                0.0d0, 0.0d0, 0.0d0, 0.0d0, 0.0d0, 7.85398d-5, 1.5708d-4, 0.0d0, 0.0d0, 0.0d0, 0.0d0 /)
  fr(:, 2) = (/ -33.34d0, 0.0d0, 0.02d0, 0.0d0, -1.0d5, 1.3d6, 0.0d0, -250.0d0, 0.001d0, 2.0d5, &
                25.0d0, 1.0d0, 2.0d0, 3.0d0, 0.999999d0, 0.0d0, undef, 0.5d0, 0.0075d0, 1.0d-9, -1.0d-12 /)

  open(u, file='two_submodels.GFF', status='replace', form='formatted')
  call header()
  do blk = 1, 2
    if (blk == 1) then
      timen = 0.0d0
    else
      timen = 3600.0d0
      tr(1, 1) = 21.25d0
    end if
    ! 1 Thermal_Node
    do i = 1, nt
      call start(); call treal(timen); call ival(tmod(i)); call ival(tnum(i))
      call ival(index('DBXC', tst(i))); call txt(tlab(i))
      do j = 1, 16
        call rval(tr(j, i))
      end do
      call rval(tflux(i)); call ival(tcount(i)); call txt(ttag(i))
      call line(1)
    end do
    ! 2 Thermal_Conductor: GL1, GL2 (1-2), GL3 (1-3), GR1 (1-3), GF1 (3-5, negated), GV1 (2-5)
    call cond(2, 1, 1, 1, 10, 1, 20, 1, 10.0d0, 'A')
    call cond(2, 1, 1, 1, 10, 1, 20, 2, 0.125d0, 'I')
    call cond(2, 1, 2, 1, 10, 2, 1, 1, 3.3d-4, 'A')
    call cond(2, 2, 1, 1, 10, 2, 1, 1, 1.0d-3, 'A')
    call cond(2, 3, 2, 2, 1, 3, 5, 1, -0.75d0, 'A')
    call cond(2, 4, 1, 1, 20, 3, 5, 1, 0.3333d0, 'I')
    ! 3 Fluid_Node
    do j = 1, nf
      call start(); call treal(timen); call ival(3); call ival(fnum(j))
      call ival(j); call txt(flab(j))
      do i = 1, 21
        call rval(fr(i, j))
      end do
      call txt(ftyp(j)); call txt(freg(j)); call txt(fdesc(j))
      call rval(fflux(j)); call ival(fcount(j)); call txt(ftag(j))
      call line(3)
    end do
    ! 4 Fluid_Conductor: GP of link 1 (100 -> 200), GL4 (100 -> node 5), M of link 1
    call cond(4, 4, 3, 3, 100, 3, 200, 1, 2.5d0, 'A')
    call cond(4, 1, 3, 3, 100, 3, 5, 1, 45.0d0, 'A')
    call cond(4, 5, 3, 3, 100, 3, 200, 1, 0.05d0, 'A')
    ! 5 Integer_User_Constant, 6 Real_User_Constant, 7 Character_User_Constant
    call start(); call treal(timen); call ival(1); call txt('NCYCLE'); call ival(3); call line(5)
    call start(); call treal(timen); call ival(3); call txt('NPUMP'); call ival(-2); call line(5)
    call start(); call treal(timen); call ival(1); call txt('GAIN'); call rval(1.5d0); call line(6)
    call start(); call treal(timen); call ival(2); call txt('EPSP'); call rval(undef); call line(6)
    call start(); call treal(timen); call ival(1); call txt('MODE'); call txt('FAST'); call line(7)
    call start(); call treal(timen); call ival(3); call txt('TAG'); call txt('  hot  loop '); call line(7)
  end do
  close(u)

  vals = (/ 1.0d0, -1.0d0, 0.1d0, 123456.5d0, 999999.5d0, 1234567.0d0, 1.0d-5, -2.5d-300, &
            3.0d100, 0.0999999d0, 65.4321d0, -0.000123456789d0 /)
  open(u, file='setvu_fields.txt', status='replace', form='formatted')
  do i = 1, size(vals)
    write(u, '(A, "|", A)') fmt('(G12.6)', vals(i)), fmt('(1PE12.4 )', vals(i))
  end do
  close(u)

contains

  function fmt(f, x) result(s)
    character(len=*), intent(in) :: f
    double precision, intent(in) :: x
    character(len=26) :: s
    write(s, f) x
    s = adjustl(s)
  end function fmt

  subroutine start()
    row = ' '
    rl = 0
  end subroutine start

  subroutine add(s)
    character(len=*), intent(in) :: s
    character(len=len(s)) :: t
    t = adjustl(s)
    if (len_trim(t) == 0) return
    if (rl > 0) then
      row(rl + 1:rl + 1) = ' '
      rl = rl + 1
    end if
    row(rl + 1:rl + len_trim(t)) = t(1:len_trim(t))
    rl = rl + len_trim(t)
  end subroutine add

  subroutine treal(x)
    double precision, intent(in) :: x
    call add(fmt('(G12.6)', x))
  end subroutine treal

  subroutine rval(x)
    double precision, intent(in) :: x
    integer :: w(2)
    w = transfer(x, w)
    if (x == 0.0d0) then
      call add('0.0')
    else if (w(1) == 2147483647) then
      call add('NULL')
    else
      call add(fmt('(G12.6)', x))
    end if
  end subroutine rval

  subroutine ival(n)
    integer, intent(in) :: n
    character(len=26) :: s
    write(s, '(I10)') n
    call add(s)
  end subroutine ival

  subroutine txt(s)
    character(len=*), intent(in) :: s
    character(len=len(s)) :: t
    t = adjustl(s)
    if (len_trim(t) == 0) then
      call add('" "')
    else
      call add('"' // t(1:len_trim(t)) // '"')
    end if
  end subroutine txt

  subroutine line(n)
    integer, intent(in) :: n
    write(u, '(I1, 1X, A)') n, row(1:rl)
  end subroutine line

  subroutine cond(rec, typ, cm, fm, fno, tm, tno, seq, v, st)
    integer, intent(in) :: rec, typ, cm, fm, fno, tm, tno, seq
    double precision, intent(in) :: v
    character(len=1), intent(in) :: st
    call start(); call treal(timen); call ival(typ); call ival(cm); call ival(fm); call ival(fno)
    call ival(tm); call ival(tno); call ival(seq); call rval(v); call ival(index('AI', st))
    call line(rec)
  end subroutine cond

  subroutine h(s)
    character(len=*), intent(in) :: s
    write(u, '(A)') s
  end subroutine h

  subroutine attr(name, typ)
    character(len=*), intent(in) :: name, typ
    call h('  Attribute: ' // name // '  ' // typ)
  end subroutine attr

  subroutine map(code, text)
    integer, intent(in) :: code
    character(len=*), intent(in) :: text
    write(u, '(8X, "Map: ", I2, 2X, A)') code, '"' // text // '"'
  end subroutine map

  subroutine models()
    call map(1, 'MAIN'); call map(2, 'MAIN:PANEL'); call map(3, 'MAIN:LOOP')
  end subroutine models

  subroutine numbered(n)
    integer, intent(in) :: n
    write(u, '("  Comment: This is record type ", I4, " in this file")') n
  end subroutine numbered

  subroutine spare()
    call h('  Comment: Spare Nodal Entities')
    call attr('FLUX', 'FLOAT'); call attr('COUNT', 'INTEGER'); call attr('TAG', 'STRING')
  end subroutine spare

  subroutine condattrs()
    call attr('Model_Name_For_Conductors', 'INTEGER'); call models()
    call attr('Model_Name_From_Node', 'INTEGER'); call models()
    call attr('From_Node', 'INTEGER')
    call attr('Model_Name_To_Node', 'INTEGER'); call models()
    call attr('To_Node', 'INTEGER')
    call attr('Sequence_Number', 'INTEGER')
    call attr('Value', 'FLOAT')
    call attr('Status', 'INTEGER'); call map(1, tmaps(1)); call map(2, tmaps(2))
  end subroutine condattrs

  subroutine header()
    character(len=24) :: job
    character(len=17) :: date
    character(len=8) :: time
    character(len=20) :: version
    character(len=24) :: parnam
    character(len=100) :: title
    integer :: k
    character(len=28), parameter :: tfl(16) = (/ character(len=28) :: 'Temperature', 'Capacitance', &
        'Total_Albedo_Heat_Source', 'Total_Earth_Heat_Source', 'Total_Internal_Heat_Source', &
        'Total_Solar_Heat_Source', 'Total_Rest_Heat_Source', 'Area', &
        'Solar_Absorptivity', 'Infra-Red_Emissivity', 'Incident_Albedo_Heat_Source', &
        'Incident_Earth_Heat_Source', 'Incident_Solar_Heat_Source', 'X_Coordinate', &
        'Y_Coordinate', 'Z_Coordinate' /)
    character(len=32), parameter :: ffl(21) = (/ character(len=32) :: 'Temperature', 'Heat_Transfer_Area', &
        'Equivalent_Diameter', 'Length', 'Static_Pressure', 'Specific_Enthalpy', 'Wall_Surface_Roughness', &
        'Internal_Heat_Source', 'Mass_Source', 'Specific_Enthalpy_Of_Mass_Source', 'Temperature_Of_Mass_Source', &
        'X_Coordinate', 'Y_Coordinate', 'Z_Coordinate', 'Vapour_Quality', 'Cross-sectional_Flow_Area', &
        'Nodal_Volume', 'Relative_Humidity', 'Mass_Source_Specific_Humidity', 'Node_Compliance', &
        'Partial_Derivative_@V/@t' /)
    character(len=2), parameter :: fst(11) = (/ 'F ', 'J ', 'R ', 'H ', 'U ', 'I ', 'O ', 'Q ', 'S ', 'V ', 'K ' /)
    job = 'GFFTEST'
    date = '10 December 2026'
    time = '13:46:52'
    version = '2020'
    parnam = 'ORIGINAL'
    write(title, '("Parameter case", 1X, I4, 1X, A24)') 1, parnam
    call h('Description: GFF output from NORVEK v' // version)
    call h('Description: ' // job)
    call h('Description: ' // date)
    call h('Description: ' // time)
    call h('Description: ' // trim(title))
    call h('Format: ASCII')
    call h('Record: Thermal_Node'); call numbered(1)
    call attr('Time', 'FLOAT'); call attr('Model_Name', 'INTEGER'); call models()
    call attr('Node_Number', 'INTEGER'); call attr('Type', 'INTEGER')
    call map(1, 'D'); call map(2, 'B'); call map(3, 'X'); call map(4, 'C')
    call attr('Label', 'STRING')
    do k = 1, 16
      call attr(trim(tfl(k)), 'FLOAT')
    end do
    call spare()
    call h('  Comment: We only output 1 of the pairs of 2-way conductors')
    call h('Record: Thermal_Conductor'); call numbered(2)
    call attr('Time', 'FLOAT'); call attr('Type', 'INTEGER')
    call map(1, 'GL'); call map(2, 'GR'); call map(3, 'GF'); call map(4, 'GV')
    call condattrs()
    call h('Record: Fluid_Node'); call numbered(3)
    call attr('Time', 'FLOAT'); call attr('Model_Name', 'INTEGER'); call models()
    call attr('Node_Number', 'INTEGER'); call attr('Type', 'INTEGER')
    do k = 1, 11
      call map(k, trim(fst(k)))
    end do
    call attr('Label', 'STRING')
    do k = 1, 21
      call attr(trim(ffl(k)), 'FLOAT')
    end do
    call attr('Fluid_Type', 'STRING'); call attr('Flow_Regime', 'STRING'); call attr('Fluid_State_Descriptor', 'STRING')
    call spare()
    call h('  Comment: For GL/GR/GF, From_Node is the Fluid node')
    call h('Record: Fluid_Conductor'); call numbered(4)
    call attr('Time', 'FLOAT'); call attr('Type', 'INTEGER')
    call map(1, 'GL'); call map(2, 'GR'); call map(3, 'GF'); call map(4, 'GP'); call map(5, 'M')
    call condattrs()
    call h('Record: Integer_User_Constant'); call numbered(5)
    call attr('Time', 'FLOAT'); call attr('Model_Name', 'INTEGER'); call models()
    call attr('Integer_User_Constant_Name', 'STRING'); call attr('Value', 'INTEGER')
    call h('Record: Real_User_Constant'); call numbered(6)
    call attr('Time', 'FLOAT'); call attr('Model_Name', 'INTEGER'); call models()
    call attr('Real_User_Constant_Name', 'STRING'); call attr('Value', 'FLOAT')
    call h('Record: Character_User_Constant'); call numbered(7)
    call attr('Time', 'FLOAT'); call attr('Model_Name', 'INTEGER'); call models()
    call attr('Character_User_Constant_Name', 'STRING'); call attr('Value', 'STRING')
    call h('End_Header')
  end subroutine header

end program gff_file
