! Rows of the printed node tables as gfortran writes them: the row formats of
! the default layout, written with the values of the node-table test model
! (tests/output/node_table_fixture.h). Table A is the entity list
! L, T, QS, QE, QA, QI, C; table B is TAG, FRG, FST, HFD, HEATFLUXDENSITY,
! ICOUNT, P. Each table: the six thermal rows, then the two fluid rows.
! Output: tests/data/output/node_table_rows.txt (one row per line).
!   gfortran -O0 -o node_table_rows node_table_rows.f90 && ./node_table_rows > node_table_rows.txt
program node_table_rows
  implicit none
  integer, parameter :: nt = 6, nf = 2
  integer :: i, j
  integer :: tnum(nt) = (/ 10, 20, 1, 2, 5, 7 /), fnum(nf) = (/ 100, 200 /)
  character(len=24) :: tlab(nt), flab(nf), ttag, ftag
  character(len=4) :: frg(nf), fst(nf)
  character(len=1) :: mark
  double precision :: t(nt), qa(nt), qi, ft(nf)
  integer :: undef(2)
  character(len=*), parameter :: fa_t = '(1X,A,1X,I10,4X,A,4X,F10.2,4X,F10.2,4X,F10.2,4X,F10.2,4X,F10.2,4X,F10.2)'
  character(len=*), parameter :: fa_f = '(1X,A,1X,I10,4X,A,4X,F10.2,4X,10X  ,4X,10X  ,4X,10X  ,4X,10X  ,4X,10X  )'
  character(len=*), parameter :: fb_t = '(1X,A,1X,I10,4X,A, 8X , 8X ,4X,F10.2,4X,F10.2,5X,4X,I10,4X,10X  )'
  character(len=*), parameter :: fb_f = '(1X,A,1X,I10,4X,A,4X,A,4X,A,4X,F10.2,4X,F10.2,5X,4X,I10,4X,F10.2)'

  tlab = (/ 'INLET PLATE             ', 'OUTLET                  ', 'PANEL A                 ', &
            'PANEL B                 ', 'RADIATOR                ', '                        ' /)
  flab = (/ 'TANK FLUID              ', 'LOOP                    ' /)
  frg = (/ 'LAM ', 'TURB' /)
  fst = (/ 'L   ', 'V   ' /)
  t = (/ 20.5d0, -3.125d0, 0.005d0, 1234567.891d0, -0.015d0, 99.995d0 /)
  qa = (/ 1.0d6, -99999.995d0, 1.0d10, 0.0d0, 0.005d0, -1.0d9 /)
  ft = (/ 15.0d0, -40.0d0 /)
  undef = (/ 2147483647, 0 /)

  ! Table A
  do i = 1, nt
    mark = ' '
    if (i == 3) mark = 'X'
    if (i == 4) then
      qi = transfer(undef, qi)
    else
      qi = 2.0d0 / 3.0d0 * i
    end if
    write (*, fa_t) mark, tnum(i), tlab(i), t(i), 0.25d0 * i, -0.5d0 * i, qa(i), qi, 100.0d0 * i
  end do
  do j = 1, nf
    write (*, fa_f) ' ', fnum(j), flab(j), ft(j)
  end do
  ! Table B
  do i = 1, nt
    mark = ' '
    if (i == 3) mark = 'X'
    write (ttag, '(A, I0)') 'T', i
    write (*, fb_t) mark, tnum(i), ttag, 1.5d0 * i, -10.0d0 * i, 7 - i
  end do
  do j = 1, nf
    write (ftag, '(A, I0)') 'F', j
    write (*, fb_f) ' ', fnum(j), ftag, frg(j), fst(j), 3.0d0 * j, 0.125d0 * j, 50 + j, 1.0d5 * j
  end do
end program node_table_rows
