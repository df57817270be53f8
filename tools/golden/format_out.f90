! Writes the formatted-output golden table: every case is written with
! gfortran to a scratch file, read back byte for byte and listed as
!   <item tokens> {<format>} [record 1][record 2]...
! Item tokens: r<hex of the double bits>, f<hex of the float bits>, i<int32>,
! j<int64>, lT / lF (logical), a<hex of the text bytes> (a alone: empty text).
module golden_out
  implicit none
  integer, parameter :: tab = 10, tmp = 11
  character(len=:), allocatable :: toks
contains
  subroutine begin()
    open (tmp, status='scratch', form='formatted', action='readwrite')
    toks = ''
  end subroutine

  subroutine finish(fmt)
    character(*), intent(in) :: fmt
    character(len=8192) :: line
    character(len=:), allocatable :: acc
    integer :: n, ios
    rewind (tmp)
    acc = ''
    do
      read (tmp, '(A)', advance='no', size=n, iostat=ios) line
      if (is_iostat_end(ios)) exit
      acc = acc//'['//line(1:n)//']'
    end do
    close (tmp)
    write (tab, '(A)') toks//' {'//fmt//'} '//acc
  end subroutine

  subroutine tr(x)
    double precision, intent(in) :: x
    character(len=16) :: h
    write (h, '(Z16.16)') x
    toks = trim(toks)//' r'//h
    toks = adjustl(toks)
  end subroutine
  subroutine tf(x)
    real, intent(in) :: x
    character(len=8) :: h
    write (h, '(Z8.8)') x
    toks = adjustl(trim(toks)//' f'//h)
  end subroutine
  subroutine ti(i)
    integer, intent(in) :: i
    character(len=20) :: h
    write (h, '(I0)') i
    toks = adjustl(trim(toks)//' i'//trim(h))
  end subroutine
  subroutine tj(i)
    integer(8), intent(in) :: i
    character(len=24) :: h
    write (h, '(I0)') i
    toks = adjustl(trim(toks)//' j'//trim(h))
  end subroutine
  subroutine tl(b)
    logical, intent(in) :: b
    if (b) then
      toks = adjustl(trim(toks)//' lT')
    else
      toks = adjustl(trim(toks)//' lF')
    end if
  end subroutine
  subroutine ta(s)
    character(*), intent(in) :: s
    character(len=2) :: h
    integer :: k
    toks = trim(adjustl(trim(toks)//' a'))
    do k = 1, len(s)
      write (h, '(Z2.2)') ichar(s(k:k))
      toks = toks//h
    end do
  end subroutine

  subroutine real_case(fmt, x)
    character(*), intent(in) :: fmt
    double precision, intent(in) :: x
    call begin()
    call tr(x)
    write (tmp, fmt) x
    call finish(fmt)
  end subroutine
  subroutine float_case(fmt, x)
    character(*), intent(in) :: fmt
    real, intent(in) :: x
    call begin()
    call tf(x)
    write (tmp, fmt) x
    call finish(fmt)
  end subroutine
  subroutine int_case(fmt, i)
    character(*), intent(in) :: fmt
    integer, intent(in) :: i
    call begin()
    call ti(i)
    write (tmp, fmt) i
    call finish(fmt)
  end subroutine
  subroutine int8_case(fmt, i)
    character(*), intent(in) :: fmt
    integer(8), intent(in) :: i
    call begin()
    call tj(i)
    write (tmp, fmt) i
    call finish(fmt)
  end subroutine
  subroutine log_case(fmt, b)
    character(*), intent(in) :: fmt
    logical, intent(in) :: b
    call begin()
    call tl(b)
    write (tmp, fmt) b
    call finish(fmt)
  end subroutine
  subroutine chr_case(fmt, s)
    character(*), intent(in) :: fmt, s
    call begin()
    call ta(s)
    write (tmp, fmt) s
    call finish(fmt)
  end subroutine
end module

program format_out
  use golden_out
  implicit none
  character(len=16), parameter :: rf(60) = [character(len=16) :: &
    '(F5.2)', '(F3.0)', '(F10.3)', '(F8.0)', '(F0.2)', '(F0.0)', '(F1.0)', '(F2.0)', '(F3.1)', '(F4.1)', &
    '(F12.6)', '(F25.17)', '(F40.2)', '(2PF10.3)', '(-1PF10.3)', '(-3PF10.2)', '(-2PF8.0)', &
    '(E12.4)', '(E10.3)', '(E9.2)', '(E8.1)', '(E12.4E3)', '(E10.3E1)', '(E13.5E4)', '(1PE12.4)', &
    '(2PE12.4)', '(-1PE12.4)', '(1PE11.4)', '(1PE13.6)', '(3PE12.4)', '(1PE10.0)', &
    '(ES12.4)', '(ES10.3E3)', '(ES9.2)', '(ES12.0)', '(EN12.4)', '(EN12.3E3)', '(EN9.2)', '(EN14.0)', &
    '(D12.4)', '(D10.3)', '(1PD12.4)', '(D25.16)', &
    '(G12.6)', '(G12.4)', '(G10.3)', '(G8.2)', '(G6.1)', '(G5.2)', '(G12.4E3)', '(1PG12.4)', '(2PG14.5)', &
    '(G15.7)', '(G25.17)', '(SPF8.2)', '(SPE12.4)', '(SPG12.4)', '(SP,1PE11.3)', '(G3.1)', '(G7.1)']
  double precision :: v(75), z, inf, nan, big
  character(len=16), parameter :: ifm(16) = [character(len=16) :: &
    '(I1)', '(I3)', '(I5)', '(I5.3)', '(I4.0)', '(I0)', '(I10)', '(I2)', '(I6.6)', '(I3.3)', &
    '(G8.2)', '(G12.4E3)', '(SPI5)', '(I11)', '(I0.3)', '(I5.0)']
  integer :: iv(12)
  integer(8) :: jv(5)
  character(len=16), parameter :: jfm(5) = [character(len=16) :: '(I20)', '(I25.22)', '(I19)', '(I0)', '(G21.4)']
  character(len=8), parameter :: lfm(4) = [character(len=8) :: '(L1)', '(L5)', '(G4.2)', '(L2)']
  character(len=8), parameter :: afm(7) = [character(len=8) :: '(A)', '(A1)', '(A3)', '(A12)', '(G8.2)', '(A5)', '(G3.1)']
  character(len=16), parameter :: ffm(6) = [character(len=16) :: '(F20.15)', '(G15.8)', '(E20.12)', &
    '(F12.4)', '(ES14.7)', '(G12.6)']
  real :: fv(6)
  character(len=64) :: fmt
  integer :: i, k

  z = 0d0
  big = huge(1d0)
  inf = big*10
  nan = (inf - inf)
  v = [z, -z, 0.125d0, 0.375d0, 2.5d0, 0.5d0, 1.5d0, -0.001d0, 1d0, -1d0, 0.1d0, 0.1d0 - epsilon(1d0), &
    0.0999d0, 0.09999995d0, nearest(0.09999995d0, 1d0), nearest(0.09999995d0, -1d0), 0.099995d0, &
    0.9999995d0, 9.999995d0, 99.99995d0, 999.95d0, 999.9995d0, 9999.5d0, 99999.5d0, 999999.5d0, &
    1d5, 1d6, 123456.7d0, 1d100, 1d-100, 1d300, -1d300, 1d-300, 5d-324, 2.2250738585072014d-308, &
    big, -big, nan, inf, -inf, 3.14159265358979d0, -2.718281828d0, 1234.5678d0, 0.00012345d0, &
    12345678.9d0, 9.5d0, 0.05d0, 0.15d0, 0.25d0, 1d10, 1d-5, 6050.2470703125d0, 99.5d0, -0.5d0, &
    0.45d0, 0.95d0, 1d99, 9.99995d99, 1d-99, 0.99999d-99, 1d-10, 1d15, 1d16, 1d22, 1d23, &
    -123.456d0, 7d0, 0.0005d0, -0.0005d0, 0.9995d0, 99999.95d0, 0.999999995d0, 999.5d0, 1d-1, 0.3d0]
  open (tab, file='output.txt', status='replace', action='write')
  do i = 1, size(rf)
    do k = 1, size(v)
      call real_case(trim(rf(i)), v(k))
    end do
  end do
  fv = [0.1, 6050.247, -1.5e-7, 3.4e38, 1.4e-45, 0.0]
  do i = 1, size(ffm)
    do k = 1, size(fv)
      call float_case(trim(ffm(i)), fv(k))
    end do
  end do
  iv = [0, 7, -7, 123, -123, 2147483647, -2147483647 - 1, 99999, 100000, -99999, 1, -1]
  do i = 1, size(ifm)
    do k = 1, size(iv)
      call int_case(trim(ifm(i)), iv(k))
    end do
  end do
  jv = [huge(1_8), -huge(1_8) - 1, 0_8, 1234567890123_8, -5_8]
  do i = 1, size(jfm)
    do k = 1, size(jv)
      call int8_case(trim(jfm(i)), jv(k))
    end do
  end do
  do i = 1, size(lfm)
    call log_case(trim(lfm(i)), .true.)
    call log_case(trim(lfm(i)), .false.)
  end do
  do i = 1, size(afm)
    call chr_case(trim(afm(i)), 'abc')
    call chr_case(trim(afm(i)), 'hello world')
    call chr_case(trim(afm(i)), 'x')
    call chr_case(trim(afm(i)), '')
  end do

  ! Several items: groups, repeat counts, reversion, positioning, literals.
  fmt = '(I3, 2(F6.2, A3))'
  call begin(); call ti(1); call tr(2.5d0); call ta('ab'); call tr(3.25d0); call ta('cd')
  write (tmp, fmt) 1, 2.5d0, 'ab', 3.25d0, 'cd'; call finish(trim(fmt))
  fmt = '(I3, 2(F6.2, A3))'
  call begin(); call ti(1); call tr(2.5d0); call ta('ab'); call tr(3.25d0); call ta('cd'); call tr(4d0); call ta('ef')
  write (tmp, fmt) 1, 2.5d0, 'ab', 3.25d0, 'cd', 4d0, 'ef'; call finish(trim(fmt))
  fmt = '(1X, I2, 2(1X, I2, 3(I3)), I4)'
  call begin()
  do k = 1, 20
    call ti(k)
  end do
  write (tmp, fmt) (k, k = 1, 20); call finish(trim(fmt))
  fmt = '(''head'', 2(I3), /, (1X, 3I4))'
  call begin()
  do k = 1, 10
    call ti(k)
  end do
  write (tmp, fmt) (k, k = 1, 10); call finish(trim(fmt))
  fmt = '(3I4)'
  call begin()
  do k = 1, 7
    call ti(k)
  end do
  write (tmp, fmt) (k, k = 1, 7); call finish(trim(fmt))
  fmt = '(I3, 2(I2, :, '',''), '' end'')'
  call begin(); call ti(1); call ti(2)
  write (tmp, fmt) 1, 2; call finish(trim(fmt))
  fmt = '(I3, 2(I2, '',''), '' end'')'
  call begin(); call ti(1); call ti(2)
  write (tmp, fmt) 1, 2; call finish(trim(fmt))
  fmt = '(I3, :, '' more'')'
  call begin(); call ti(5)
  write (tmp, fmt) 5; call finish(trim(fmt))
  fmt = '(A, T10, A, TL6, A, TR2, A)'
  call begin(); call ta('abc'); call ta('XYZ'); call ta('12'); call ta('end')
  write (tmp, fmt) 'abc', 'XYZ', '12', 'end'; call finish(trim(fmt))
  fmt = '(T5, A, T2, A, 3X, A)'
  call begin(); call ta('hello'); call ta('AB'); call ta('z')
  write (tmp, fmt) 'hello', 'AB', 'z'; call finish(trim(fmt))
  fmt = '(A, TL10, A)'
  call begin(); call ta('abc'); call ta('Q')
  write (tmp, fmt) 'abc', 'Q'; call finish(trim(fmt))
  fmt = '(1X, ''it''''s'', 1X, "say ""hi""", A)'
  call begin(); call ta('!')
  write (tmp, fmt) '!'; call finish(trim(fmt))
  fmt = '(1X, A, /, /, A, //)'
  call begin(); call ta('one'); call ta('two')
  write (tmp, fmt) 'one', 'two'; call finish(trim(fmt))
  fmt = '(/)'
  call begin()
  write (tmp, fmt); call finish(trim(fmt))
  fmt = '(''1'')'
  call begin()
  write (tmp, fmt); call finish(trim(fmt))
  fmt = '(1X, A, 3X)'
  call begin(); call ta('abc')
  write (tmp, fmt) 'abc'; call finish(trim(fmt))
  fmt = '(1P, E10.3, 0P, F8.2, E10.3)'
  call begin(); call tr(1234.5d0); call tr(1234.5d0); call tr(1234.5d0)
  write (tmp, fmt) 1234.5d0, 1234.5d0, 1234.5d0; call finish(trim(fmt))
  fmt = '(2PF8.2, F8.2, E12.4)'
  call begin(); call tr(1.5d0); call tr(1.5d0); call tr(1.5d0)
  write (tmp, fmt) 1.5d0, 1.5d0, 1.5d0; call finish(trim(fmt))
  fmt = '(1PE11.3, 2(F8.2))'
  call begin(); call tr(1.5d0); call tr(2.5d0); call tr(3.5d0); call tr(4.5d0); call tr(5.5d0)
  write (tmp, fmt) 1.5d0, 2.5d0, 3.5d0, 4.5d0, 5.5d0; call finish(trim(fmt))
  fmt = '(SP, I4, F7.2, SS, I4, F7.2, S, I3)'
  call begin(); call ti(5); call tr(1.5d0); call ti(5); call tr(1.5d0); call ti(6)
  write (tmp, fmt) 5, 1.5d0, 5, 1.5d0, 6; call finish(trim(fmt))
  fmt = '(1X, ''NORVEK-QVD'', 2X, ''2020'', 106X, ''Page '', I5)'
  call begin(); call ti(3)
  write (tmp, fmt) 3; call finish(trim(fmt))
  fmt = '(1X, ''TEMPERATURE GREATER THAN 1.0E10 DETECTED'', / )'
  call begin()
  write (tmp, fmt); call finish(trim(fmt))
  fmt = '(1X, A, 1X, I10, 4X, A, 4X, F10.2, 4X, 10X  , 4X, 10X  )'
  call begin(); call ta(' '); call ti(42); call ta('label'); call tr(293.15d0)
  write (tmp, fmt) ' ', 42, 'label', 293.15d0; call finish(trim(fmt))
  fmt = '(A, '','', A, '','', 1PE11.4)'
  call begin(); call ta('12'); call ta('name'); call tr(0d0)
  write (tmp, fmt) '12', 'name', 0d0; call finish(trim(fmt))
  fmt = '('','', 1PE13.6)'
  call begin(); call tr(293.15d0)
  write (tmp, fmt) 293.15d0; call finish(trim(fmt))
  fmt = '('','', 1PE13.6)'
  call begin(); call tr(-1.5d-120)
  write (tmp, fmt) -1.5d-120; call finish(trim(fmt))
  fmt = '(1X,A,1X,I10,4X,A,4X,F10.2,4X,F10.2)'
  call begin(); call ta('X'); call ti(7); call ta('node label'); call tr(1d7); call tr(-5.125d0)
  write (tmp, fmt) 'X', 7, 'node label', 1d7, -5.125d0; call finish(trim(fmt))
  fmt = '(2(1X, 2(A2, I2)), ''|'')'
  call begin(); call ta('a'); call ti(1); call ta('b'); call ti(2); call ta('c'); call ti(3); call ta('d'); call ti(4)
  call ta('e'); call ti(5)
  write (tmp, fmt) 'a', 1, 'b', 2, 'c', 3, 'd', 4, 'e', 5; call finish(trim(fmt))
  fmt = '(I2, (I3, (I4)))'
  call begin()
  do k = 1, 6
    call ti(k)
  end do
  write (tmp, fmt) (k, k = 1, 6); call finish(trim(fmt))
  fmt = '(3(L2), 2A2)'
  call begin(); call tl(.true.); call tl(.false.); call tl(.true.); call ta('xy'); call ta('z')
  write (tmp, fmt) .true., .false., .true., 'xy', 'z'; call finish(trim(fmt))
  fmt = '(A, 2/, A)'
  call begin(); call ta('p'); call ta('q')
  write (tmp, fmt) 'p', 'q'; call finish(trim(fmt))
  close (tab)
end program
