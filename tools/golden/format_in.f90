! Writes the formatted-input golden table: each input text is read by gfortran
! with a format from an internal file, with blanks ignored (N) or read as
! zeros (Z, through the BZ descriptor), and listed as
!   <type> <N|Z> {<format>} [<input>] <result>
! type: R double, I 32-bit integer, J 64-bit integer, L logical, A5 text of
! 5 characters. result: ERR when gfortran reports an error, else the value
! (hex of the double bits, decimal integer, T/F, or [text]).
module golden_in
  implicit none
  integer, parameter :: tab = 10
contains
  function with_mode(fmt, z) result(f)
    character(*), intent(in) :: fmt
    logical, intent(in) :: z
    character(len=:), allocatable :: f
    if (z) then
      f = '(BZ,'//fmt(2:)
    else
      f = fmt
    end if
  end function
  function mode(z) result(m)
    logical, intent(in) :: z
    character(len=1) :: m
    m = merge('Z', 'N', z)
  end function

  subroutine rcase(fmt, s, z)
    character(*), intent(in) :: fmt, s
    logical, intent(in) :: z
    double precision :: x
    integer :: ios
    character(len=16) :: h
    x = 0
    read (s, with_mode(fmt, z), iostat=ios) x
    if (ios /= 0) then
      write (tab, '(A)') 'R '//mode(z)//' {'//fmt//'} ['//s//'] ERR'
    else
      write (h, '(Z16.16)') x
      write (tab, '(A)') 'R '//mode(z)//' {'//fmt//'} ['//s//'] '//h
    end if
  end subroutine
  subroutine icase(fmt, s, z)
    character(*), intent(in) :: fmt, s
    logical, intent(in) :: z
    integer :: i, ios
    character(len=16) :: h
    i = 0
    read (s, with_mode(fmt, z), iostat=ios) i
    if (ios /= 0) then
      write (tab, '(A)') 'I '//mode(z)//' {'//fmt//'} ['//s//'] ERR'
    else
      write (h, '(I0)') i
      write (tab, '(A)') 'I '//mode(z)//' {'//fmt//'} ['//s//'] '//trim(h)
    end if
  end subroutine
  subroutine jcase(fmt, s, z)
    character(*), intent(in) :: fmt, s
    logical, intent(in) :: z
    integer(8) :: i
    integer :: ios
    character(len=24) :: h
    i = 0
    read (s, with_mode(fmt, z), iostat=ios) i
    if (ios /= 0) then
      write (tab, '(A)') 'J '//mode(z)//' {'//fmt//'} ['//s//'] ERR'
    else
      write (h, '(I0)') i
      write (tab, '(A)') 'J '//mode(z)//' {'//fmt//'} ['//s//'] '//trim(h)
    end if
  end subroutine
  subroutine lcase(fmt, s)
    character(*), intent(in) :: fmt, s
    logical :: b
    integer :: ios
    b = .false.
    read (s, fmt, iostat=ios) b
    if (ios /= 0) then
      write (tab, '(A)') 'L N {'//fmt//'} ['//s//'] ERR'
    else
      write (tab, '(A)') 'L N {'//fmt//'} ['//s//'] '//merge('T', 'F', b)
    end if
  end subroutine
  subroutine acase(fmt, s)
    character(*), intent(in) :: fmt, s
    character(len=5) :: t
    integer :: ios
    t = '#####'
    read (s, fmt, iostat=ios) t
    if (ios /= 0) then
      write (tab, '(A)') 'A5 N {'//fmt//'} ['//s//'] ERR'
    else
      write (tab, '(A)') 'A5 N {'//fmt//'} ['//s//'] ['//t//']'
    end if
  end subroutine
end module

program format_in
  use golden_in
  implicit none
  character(len=12), parameter :: rs(44) = [character(len=12) :: &
    '1.5', '  1.5', '1.5  ', '15', '1 5', ' 1 5 ', '1.5E3', '1.5e3', '1.5D3', '1.5d+3', '1.5+3', &
    '1.5-3', '-1.5E-3', '+.5', '.5', '5.', '-', '+', '.', 'E3', '1.5E', '1.5E 3', '1.5E3 ', &
    'abc', '1.2.3', '1e400', '1e-400', 'Inf', '-Infinity', 'NaN', ' ', '0.1', &
    '123456789012', '-0', '-0.0', '1.5Q2', '2.5 E 1', '12345', '-12345', '0.000001', &
    '9007199254', '1E-5', '1.0-', '1+']
  character(len=12), parameter :: rf(10) = [character(len=12) :: '(F10.0)', '(F10.2)', '(E12.4)', &
    '(D10.3)', '(G10.3)', '(2PF10.2)', '(1PE12.4)', '(-1PF10.1)', '(F3.1)', '(ES12.3)']
  character(len=12), parameter :: is(18) = [character(len=12) :: &
    '  42', '-42', '4 2', '+', '-', ' ', '2147483647', '2147483648', '-2147483648', '1.0', '12a', &
    ' - 7', '007', '+12', '1 ', ' 1', '-2147483649', '99999999999']
  character(len=8), parameter :: ifm(4) = [character(len=8) :: '(I10)', '(I4)', '(I2)', '(G10.2)']
  character(len=24), parameter :: js(5) = [character(len=24) :: '9223372036854775807', &
    '-9223372036854775808', '9223372036854775808', ' 1 2 3', '-1']
  character(len=8), parameter :: ls(12) = [character(len=8) :: 'T', ' .TRUE.', 'F', '.f', 'x', &
    ' ', 't', '.', 'TRUE', '.false.', 'Fx', '  .T']
  character(len=12), parameter :: as(4) = [character(len=12) :: 'abc', 'abcdefghijkl', 'xy  z', ' ']
  character(len=8), parameter :: afm(5) = [character(len=8) :: '(A)', '(A3)', '(A10)', '(A5)', '(G8.2)']
  integer :: i, k

  open (tab, file='input.txt', status='replace', action='write')
  do i = 1, size(rf)
    do k = 1, size(rs)
      call rcase(trim(rf(i)), trim(rs(k)), .false.)
      call rcase(trim(rf(i)), trim(rs(k)), .true.)
    end do
    ! Trailing blanks inside the record (not padding).
    call rcase(trim(rf(i)), '1.5E3     ', .false.)
    call rcase(trim(rf(i)), '1.5E3     ', .true.)
    call rcase(trim(rf(i)), '15        ', .true.)
    call rcase(trim(rf(i)), '  1.5     ', .true.)
  end do
  do i = 1, size(ifm)
    do k = 1, size(is)
      call icase(trim(ifm(i)), trim(is(k)), .false.)
      call icase(trim(ifm(i)), trim(is(k)), .true.)
    end do
    call icase(trim(ifm(i)), '1         ', .true.)
  end do
  do k = 1, size(js)
    call jcase('(I24)', trim(js(k)), .false.)
    call jcase('(I24)', trim(js(k)), .true.)
  end do
  do k = 1, size(ls)
    call lcase('(L8)', trim(ls(k)))
    call lcase('(L2)', trim(ls(k)))
  end do
  do i = 1, size(afm)
    do k = 1, size(as)
      call acase(trim(afm(i)), trim(as(k)))
    end do
    call acase(trim(afm(i)), 'ab  ')
  end do
  close (tab)
end program
