/* Block fills and copies with MOVEM, for the sprite list.

   fill_zero_longs(from, to): clears long words from `from` up to `to`,
   48 bytes a MOVEM while at least that much is left. */
	.text
	.globl	fill_zero_longs
fill_zero_longs:
	movem.l	%d2-%d7/%a2-%a6, -(%sp)		/* 11 registers: 44 bytes */
	move.l	48(%sp), %a0			/* from */
	move.l	52(%sp), %a1			/* to */
	moveq	#0, %d0
	moveq	#0, %d1
	moveq	#0, %d2
	moveq	#0, %d3
	moveq	#0, %d4
	moveq	#0, %d5
	moveq	#0, %d6
	moveq	#0, %d7
	move.l	%d0, %a2
	move.l	%d0, %a3
	move.l	%d0, %a4
	move.l	%d0, %a5
	lea	48(%a0), %a6
1:	cmp.l	%a1, %a6			/* 48 more bytes fit? */
	bhi.s	2f
	movem.l	%d0-%d7/%a2-%a5, -(%a6)		/* stores downwards from a6 */
	lea	96(%a6), %a6
	lea	48(%a0), %a0
	bra.s	1b
2:	cmp.l	%a1, %a0
	bcc.s	3f
	move.l	%d0, (%a0)+
	bra.s	2b
3:	movem.l	(%sp)+, %d2-%d7/%a2-%a6
	rts

/* copy_longs(destination, source, count): copies `count` longs, 48 bytes
   a MOVEM pair while at least that much is left. */
	.globl	copy_longs
copy_longs:
	movem.l	%d2-%d7/%a2-%a6, -(%sp)
	move.l	48(%sp), %a1			/* destination */
	move.l	52(%sp), %a0			/* source */
	move.l	56(%sp), %d0			/* count */
	bra.s	2f
1:	movem.l	(%a0)+, %d1-%d7/%a2-%a6		/* 12 longs */
	movem.l	%d1-%d7/%a2-%a6, (%a1)
	lea	48(%a1), %a1
2:	sub.l	#12, %d0
	bcc.s	1b
	add.l	#12, %d0
	bra.s	4f
3:	move.l	(%a0)+, (%a1)+
4:	subq.l	#1, %d0
	bcc.s	3b
	movem.l	(%sp)+, %d2-%d7/%a2-%a6
	rts
